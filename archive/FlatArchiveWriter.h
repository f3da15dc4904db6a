#pragma once
#include "archive/ArchiveEntry.h"

#include <cstdint>
#include <string>
#include <vector>

// Packs a folder tree into a flat archive of stored entries. Set the two fields, then call
// WriteArchive once.
class FlatArchiveWriter {
public:
    std::string sourceFolder; // folder to pack, without a trailing separator
    std::string namePrefix;   // put with a "/" in front of every entry name

    // Scans sourceFolder (files of a folder before its subfolders, names sorted byte-wise,
    // depth first) and writes the archive to outputPath, replacing any file there. Returns
    // false when the output cannot be created or written, when the archive would not fit
    // 32-bit sizes and offsets (then nothing is created), or when a source file could not
    // be read in full (the archive is still written complete, that entry short).
    bool WriteArchive(const std::string& outputPath);

private:
    struct SourceFile {
        std::string path;
        std::string entryName;
        std::uint64_t listedSize;
    };

    void ScanFolder(const std::string& folder, const std::string& relativeFolder);
    bool FitsThirtyTwoBits() const;
    bool CopySource(const SourceFile& source, std::FILE* output, std::uint32_t& copied);
    std::string DirectoryBytes() const;

    std::vector<SourceFile> sources_;
    std::vector<ArchiveEntry> entries_;
    std::vector<char> copyBuffer_;
};
