#include "import/SongTags.h"

#include "platform/FileSteps.h"
#include "platform/InputFile.h"

#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tiostream.h>

#include <algorithm>
#include <cerrno>

namespace {

// The source as TagLib sees it: read-only, by position on a file the caller opened and
// checked, and no more than kMostTagBytesRead in all. Past that every read yields nothing, as
// at the end of the file, and TagLib gives up on the tag.
class DescriptorStream : public TagLib::IOStream {
public:
    DescriptorStream(InputFile& file, const std::string& name) : file_(file), name_(name) {}

    TagLib::FileName name() const override { return name_.c_str(); }
    bool readOnly() const override { return true; }
    bool isOpen() const override { return file_.IsOpen(); }

    TagLib::ByteVector readBlock(unsigned long length) override {
        if (length > kMostTagBytesRead - budgetUsed_) {
            budgetUsed_ = kMostTagBytesRead;
            return {};
        }
        TagLib::ByteVector bytes(static_cast<unsigned int>(length), '\0');
        std::size_t have = 0;
        while (have < length) {
            const std::int64_t got = file_.ReadAt(static_cast<std::uint64_t>(position_) + have,
                                                  bytes.data() + have, length - have);
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
    long length() override { return static_cast<long>(file_.Size()); }

private:
    InputFile& file_;
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
    std::string name = FileNameOf(path);
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

} // namespace

SongTags ReadSongTags(InputFile& source, const std::string& name) {
    SongTags tags;
    DescriptorStream stream(source, name);
    TagLib::FileRef file(&stream, false);
    if (file.isNull() || !file.tag())
        return tags;
    tags.artist = Kept(FirstLine(file.tag()->artist().to8Bit(true)));
    tags.title = Kept(FirstLine(file.tag()->title().to8Bit(true)));
    return tags;
}

SongTags ReadSongTags(const std::string& path) {
    InputFile file;
    if (!file.Open(path))
        return {};
    return ReadSongTags(file, path);
}

std::string SongTitleFor(const SongTags& tags, const std::string& path) {
    if (!tags.title.empty())
        return tags.artist.empty() ? tags.title : tags.artist + " - " + tags.title;
    return FileStem(path);
}
