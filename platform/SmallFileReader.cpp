#include "platform/SmallFileReader.h"

#include "platform/InputFile.h"

std::optional<std::string> SmallFileReader::Read(const std::string& path, std::size_t mostBytes,
                                                 Links links, SystemError* error) {
    if (path.empty())
        return std::nullopt;
    InputFile file;
    const auto failed = [&] {
        if (error)
            *error = file.Error();
        return std::nullopt;
    };
    if (!file.Open(path, links == Links::Refuse ? InputFile::Links::Refuse
                                                : InputFile::Links::Follow))
        return failed();
    if (file.Size() > mostBytes)
        return std::nullopt;
    // One byte more than allowed, so that a file grown past its checked size is seen as too
    // large; a file that shrank while being read gives what was there.
    const auto size = static_cast<std::size_t>(file.Size());
    std::string bytes(size + (size < mostBytes ? 1 : 0), '\0');
    std::size_t have = 0;
    while (have < bytes.size()) {
        const std::int64_t got = file.Read(bytes.data() + have, bytes.size() - have);
        if (got < 0)
            return failed();
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    if (have > mostBytes)
        return std::nullopt;
    bytes.resize(have);
    return bytes;
}
