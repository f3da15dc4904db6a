#include "common/RegistryValue.h"

#include <algorithm>

RegistryValue::RegistryValue(const RegistryBackend& backend, RegistryRoot root,
                             const std::string& path, std::string defaultValue, bool rereadEachTime)
    : backend_(backend), root_(root), default_(std::move(defaultValue)), reread_(rereadEachTime) {
    std::string trimmed = path.substr(std::min(path.find_first_not_of('\\'), path.size()));
    auto last = trimmed.rfind('\\');
    if (last == std::string::npos) {
        name_ = trimmed;
    } else {
        key_ = trimmed.substr(0, last);
        name_ = trimmed.substr(last + 1);
        while (!key_.empty() && key_.back() == '\\')
            key_.pop_back();
    }
    Read();
}

const std::string& RegistryValue::Value() {
    if (!read_ || reread_)
        Read();
    return value_;
}

void RegistryValue::Read() {
    auto bytes = backend_.ReadValue(root_, key_, name_);
    if (!bytes) {
        read_ = false;
        value_ = default_;
        return;
    }
    // A stored string may carry its terminator (or junk after it); the text ends there.
    value_ = bytes->substr(0, bytes->find('\0'));
    read_ = true;
}
