#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// A new file written aside in its destination folder and given its name only once complete,
// so that no reader, crash or Ctrl-C ever finds part of it under that name. The data goes to
// an unnamed file (O_TMPFILE) where the file system allows it, otherwise to a hidden file
// created exclusively (O_CREAT|O_EXCL|O_NOFOLLOW) that is removed unless it is published.
// Every call returns false on failure, with errno telling why; nothing here throws.
class StagedFile {
public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Starts a file in an existing folder. False when the folder is missing, is a link or
    // refuses the file.
    bool Create(const std::string& folder);
    bool Write(const void* data, std::size_t size);
    bool WriteAt(const void* data, std::size_t size, std::uint64_t offset);
    bool ReadAt(void* data, std::size_t size, std::uint64_t offset) const;

    // Flushes the data to disk and gives the file its name in the folder, never replacing
    // anything: false with errno EEXIST when the name is taken (the file stays staged, so
    // another name can be tried).
    bool PublishAs(const std::string& name);
    // Flushes the data and renames the file over whatever regular file has the name.
    bool ReplaceAs(const std::string& name);
    // Drops the staged data; also done by the destructor while unpublished.
    void Discard();

    bool open() const { return file_ >= 0; }
    const std::string& folder() const { return folder_; }

private:
    bool LinkHidden(std::string& hiddenName);
    bool FlushFolder() const;

    int folderFd_ = -1;
    int file_ = -1;
    std::string folder_;
    std::string hiddenName_; // empty while the data lives in an unnamed file
};
