#pragma once
#include "platform/RegistryBackend.h"

#include <string>

// One registry string value, named by a single path whose last component is the value name
// ("SOFTWARE\\Vendor\\Product\\VALUE"). It is read at construction and kept; a failed read
// yields the default and is tried again on the next Value(). Never throws. The backend must
// outlive the object.
class RegistryValue {
public:
    RegistryValue(const RegistryBackend& backend, RegistryRoot root, const std::string& path,
                  std::string defaultValue, bool rereadEachTime);

    // The kept value, or a fresh read when the first read failed or re-reading was asked for.
    const std::string& Value();
    bool WasRead() const { return read_; }
    const std::string& Key() const { return key_; }
    const std::string& Name() const { return name_; }

private:
    void Read();

    const RegistryBackend& backend_;
    RegistryRoot root_;
    std::string key_;
    std::string name_;
    std::string default_;
    bool reread_;
    bool read_ = false;
    std::string value_;
};
