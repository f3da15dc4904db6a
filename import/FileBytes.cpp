#include "import/FileBytes.h"

#include "platform/InputFile.h"

std::uint64_t FileBytes::Size() const {
    return file_.Size();
}

bool FileBytes::ReadAt(std::uint64_t offset, void* into, std::size_t count) {
    if (offset > file_.Size() || count > file_.Size() - offset)
        return false;
    auto* bytes = static_cast<char*>(into);
    std::size_t done = 0;
    while (done < count) {
        const std::int64_t got = file_.ReadAt(offset + done, bytes + done, count - done);
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}
