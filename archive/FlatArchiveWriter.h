#pragma once
#include "archive/ArchiveEntry.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Packs a folder tree into a flat archive of stored entries. Set the two fields, then call
// WriteArchive once; or build an archive file by file with Begin, Append and Finish.
class FlatArchiveWriter {
public:
    std::string sourceFolder; // folder to pack, without a trailing separator
    std::string namePrefix;   // put with a "/" in front of every entry name

    // Scans sourceFolder (files of a folder before its subfolders, names sorted byte-wise,
    // depth first) and writes the archive to outputPath as a new file, replacing a file or a
    // link there (never following it). Returns false when the output cannot be created (a
    // folder, device or FIFO has its name) or written, when the archive would not fit 32-bit
    // sizes and offsets (then nothing is created), or when a source file could not be read in
    // full (the archive is still written complete, that entry short).
    bool WriteArchive(const std::string& outputPath);

    // Entry by entry, in the order they are appended; the fields are not used.
    // After a false the output is unfinished: the caller abandons it, then removes it.
    bool Begin(const std::string& outputPath);
    // Stores a whole regular file and hands its bytes to the system, so that a flush of the
    // output from elsewhere covers them. False when it cannot be read in full or the archive
    // would no longer fit 32-bit sizes and offsets.
    bool Append(const std::string& sourcePath, const std::string& entryName);
    // Writes the directory and closes the output.
    bool Finish();
    // Closes an unfinished output as it is, so that it can be removed (Windows removes no file
    // that is still open).
    void Abandon();

private:
    struct SourceFile {
        std::string path;
        std::string entryName;
        std::uint64_t listedSize;
    };

    void ScanFolder(const std::string& folder, const std::string& relativeFolder);
    bool FitsThirtyTwoBits() const;
    bool CopyBytes(std::FILE* input, std::uint64_t size, std::uint32_t& copied);
    void AddEntry(const std::string& name, std::uint32_t copied, std::uint64_t listedSize);
    std::string DirectoryBytes() const;

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::vector<SourceFile> sources_;
    std::vector<ArchiveEntry> entries_;
    std::vector<char> copyBuffer_;
    std::unique_ptr<std::FILE, FileCloser> output_;
    std::uint32_t position_ = 0;   // where the next entry's data goes
    std::uint64_t plannedEnd_ = 0; // the archive's size with the entries so far
};
