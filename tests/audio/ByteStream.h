#pragma once
#include <cstdio>
#include <string>

// An anonymous temporary file holding the given bytes, rewound, closed on destruction. A real
// file, so seeks past its end behave as they do for the job's input files.
class ByteStream {
public:
    explicit ByteStream(const std::string& bytes) : file_(std::tmpfile()) {
        if (file_) {
            std::fwrite(bytes.data(), 1, bytes.size(), file_);
            std::rewind(file_);
        }
    }
    ~ByteStream() {
        if (file_)
            std::fclose(file_);
    }
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;

    std::FILE* get() const { return file_; }

private:
    std::FILE* file_;
};
