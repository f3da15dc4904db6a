#include "common/TextFileWriter.h"

#include "common/FileError.h"
#include "platform/StdFile.h"

TextFileWriter::~TextFileWriter() {
    if (file_)
        std::fclose(file_);
}

bool TextFileWriter::Open(const std::string& path, bool append) {
    if (file_)
        std::fclose(file_);
    path_ = path;
    file_ = OpenStdFile(path, append ? "ab" : "wb");
    return file_ != nullptr;
}

void TextFileWriter::WriteText(std::string_view text) {
    std::string converted;
    converted.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    WriteRaw(converted);
}

void TextFileWriter::WriteRaw(std::string_view bytes) {
    if (!file_)
        throw FileError(path_, "writing");
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        throw FileError(path_, "writing");
}

void TextFileWriter::Close() {
    if (!file_)
        return;
    std::FILE* file = file_;
    file_ = nullptr;
    bool flushed = std::fflush(file) == 0;
    bool closed = std::fclose(file) == 0;
    if (!flushed || !closed)
        throw FileError(path_, "writing");
}
