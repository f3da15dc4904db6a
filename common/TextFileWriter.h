#pragma once
#include <cstdio>
#include <string>
#include <string_view>

// Writes text files in Windows text form: every "\n" is written as "\r\n", whatever the
// platform. Open failures are returned; write failures after a successful open are thrown
// as FileError.
class TextFileWriter {
public:
    TextFileWriter() = default;
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;
    ~TextFileWriter();

    // Creates (or empties) the file, or appends to it. False when it cannot be opened.
    bool Open(const std::string& path, bool append = false);
    // Writes the text with each line feed turned into CR LF. Throws FileError.
    void WriteText(std::string_view text);
    // Writes bytes unchanged. Throws FileError.
    void WriteRaw(std::string_view bytes);
    // Flushes and closes. Throws FileError when the data could not be written.
    void Close();

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};
