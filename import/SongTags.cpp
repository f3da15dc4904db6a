#include "import/SongTags.h"

#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tiostream.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// The source as TagLib sees it: read-only, by position on a descriptor the caller opened and
// checked, and no more than kMostTagBytesRead in all. Past that every read yields nothing, as
// at the end of the file, and TagLib gives up on the tag.
class DescriptorStream : public TagLib::IOStream {
public:
    DescriptorStream(int descriptor, const std::string& name)
        : descriptor_(descriptor), name_(name) {}

    TagLib::FileName name() const override { return name_.c_str(); }
    bool readOnly() const override { return true; }
    bool isOpen() const override { return descriptor_ >= 0; }

    TagLib::ByteVector readBlock(unsigned long length) override {
        if (length > kMostTagBytesRead - budgetUsed_) {
            budgetUsed_ = kMostTagBytesRead;
            return {};
        }
        TagLib::ByteVector bytes(static_cast<unsigned int>(length), '\0');
        std::size_t have = 0;
        while (have < length) {
            const ssize_t got = ::pread(descriptor_, bytes.data() + have, length - have,
                                        static_cast<off_t>(position_ + have));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            have += static_cast<std::size_t>(got);
        }
        budgetUsed_ += have;
        position_ += static_cast<long>(have);
        bytes.resize(static_cast<unsigned int>(have));
        return bytes;
    }

    // Never writes: the user's files are only read.
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    void truncate(long) override {}

    void seek(long offset, Position from) override {
        const long base = from == Beginning ? 0 : from == Current ? position_ : length();
        position_ = std::max(0L, base + offset);
    }
    long tell() const override { return position_; }
    long length() override {
        struct stat info;
        return ::fstat(descriptor_, &info) == 0 ? static_cast<long>(info.st_size) : 0;
    }

private:
    int descriptor_;
    std::string name_;
    long position_ = 0;
    std::size_t budgetUsed_ = 0;
};

// At most kMostTagBytesKept bytes, never half a UTF-8 character.
std::string Kept(std::string text) {
    if (text.size() <= kMostTagBytesKept)
        return text;
    std::size_t end = kMostTagBytesKept;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A tag may hold several values joined by NULs or line breaks: the first line is the title.
std::string FirstLine(const std::string& text) {
    return Trimmed(text.substr(0, text.find_first_of(std::string("\r\n\0", 3))));
}

std::string FileStem(const std::string& path) {
    auto slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

} // namespace

SongTags ReadSongTags(int descriptor, const std::string& name) {
    SongTags tags;
    DescriptorStream stream(descriptor, name);
    TagLib::FileRef file(&stream, false);
    if (file.isNull() || !file.tag())
        return tags;
    tags.artist = Kept(FirstLine(file.tag()->artist().to8Bit(true)));
    tags.title = Kept(FirstLine(file.tag()->title().to8Bit(true)));
    return tags;
}

SongTags ReadSongTags(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        return {};
    struct stat info;
    SongTags tags;
    if (::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode))
        tags = ReadSongTags(descriptor, path);
    ::close(descriptor);
    return tags;
}

std::string SongTitleFor(const SongTags& tags, const std::string& path) {
    if (!tags.title.empty())
        return tags.artist.empty() ? tags.title : tags.artist + " - " + tags.title;
    return FileStem(path);
}
