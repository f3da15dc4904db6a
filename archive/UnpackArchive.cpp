#include "archive/UnpackArchive.h"

#include "archive/ArchiveEntry.h"
#include "archive/ArchiveIo.h"
#include "archive/BlockBuffers.h"
#include "archive/DecodeCompressedEntry.h"
#include "archive/EntryName.h"
#include "archive/FlatArchiveFormat.h"
#include "common/EscapeForTerminal.h"
#include "platform/FileOps.h"
#include "platform/StdFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

namespace {

constexpr std::size_t kCopyChunk = 1 << 20;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

enum class ReadResult { Read, Failed, Refused };

// The reports of one extraction: each goes to standard error as it happens, and the first is
// kept as the cause of the failure.
class Reports {
public:
    void Line(const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
        if (cause_.empty())
            cause_ = line;
    }
    void Refuse(const std::string& why) { Line("unpack: " + why); }
    void RefuseEntry(const ArchiveEntry& entry, const std::string& why) {
        Refuse("entry \"" + EscapeForTerminal(entry.name) + "\": " + why);
    }
    void RefuseName(const std::string& name, const std::string& why) {
        Refuse("refused entry name \"" + EscapeForTerminal(name) + "\": " + why);
    }
    // A stdio call of the reader that failed: a read that came up short is the archive's end.
    void Stdio(const char* what, std::FILE* stream) {
        Line(std::string(what) + ": " +
             (stream && !std::ferror(stream) ? "the archive ends early" : std::strerror(errno)));
    }
    void System(const char* what, const SystemError& error) {
        Line(std::string(what) + ": " + error.Describe());
    }
    const std::string& Cause() const { return cause_; }

private:
    std::string cause_;
};

ReadResult Failed(Reports& reports, const char* what, std::FILE* archive) {
    reports.Stdio(what, archive);
    return ReadResult::Failed;
}

// Reads the name length, name, stored size and unpacked size of one directory record.
ReadResult ReadRecordHead(std::FILE* archive, ArchiveEntry& entry, std::uint32_t& nameLength,
                          Reports& reports) {
    if (!ReadUint32LE(archive, nameLength))
        return Failed(reports, "unpack:for:fread(filename length)", archive);
    // Checked before reading so that a hostile length sizes nothing.
    if (nameLength > kMaxEntryNameLength) {
        reports.Refuse("refused entry name: longer than 511 bytes");
        return ReadResult::Refused;
    }
    entry.name.assign(nameLength, '\0');
    if (std::fread(entry.name.data(), 1, nameLength, archive) != nameLength)
        return Failed(reports, "unpack:for:fread(filename)", archive);
    if (!ReadUint32LE(archive, entry.storedSize))
        return Failed(reports, "unpack:for:fread(size)", archive);
    if (!ReadUint32LE(archive, entry.unpackedSize))
        return Failed(reports, "unpack:for:fread(tucsize)", archive);
    return ReadResult::Read;
}

ReadResult ReadRecord(std::FILE* archive, ArchiveEntry& entry, std::uint32_t& nameLength,
                      Reports& reports) {
    const ReadResult head = ReadRecordHead(archive, entry, nameLength, reports);
    if (head != ReadResult::Read)
        return head;
    if (!ReadUint32LE(archive, entry.dataOffset))
        return Failed(reports, "unpack:for:fseek(position)", archive);
    if (std::fseek(archive, static_cast<long>(kReservedRecordBytes.size()), SEEK_CUR) != 0)
        return Failed(reports, "unpack:for:fseek(skip unused)", nullptr);
    return ReadResult::Read;
}

enum class CopyResult { Copied, Failed, Cancelled };

// Copies a stored entry, which was checked to lie within the archive, in bounded chunks,
// asking cancelled before each.
CopyResult ExtractStored(std::FILE* archive, const ArchiveEntry& entry, const std::string& path,
                         const CancelCheck& cancelled, Reports& reports) {
    SystemError error;
    File output(CreateOutputFile(path, &error));
    if (!output) {
        reports.System("unpack:fopen(output)", error);
        return CopyResult::Failed;
    }
    std::vector<char> buffer(std::min<std::size_t>(kCopyChunk, entry.storedSize));
    if (SeekStdFile(archive, entry.dataOffset, SEEK_SET) != 0) {
        reports.Stdio("unpack:fseek(data)", nullptr);
        return CopyResult::Failed;
    }
    for (std::uint64_t copied = 0; copied < entry.storedSize;) {
        if (CancelWanted(cancelled))
            return CopyResult::Cancelled;
        const std::size_t wanted =
            std::min<std::uint64_t>(buffer.size(), entry.storedSize - copied);
        if (std::fread(buffer.data(), 1, wanted, archive) != wanted) {
            reports.Stdio("unpack:fread(data)", archive);
            return CopyResult::Failed;
        }
        if (std::fwrite(buffer.data(), 1, wanted, output.get()) != wanted) {
            reports.Stdio("unpack:fwrite(output)", nullptr);
            return CopyResult::Failed;
        }
        copied += wanted;
    }
    if (std::fclose(output.release()) != 0) {
        reports.Stdio("unpack:fwrite(output)", nullptr);
        return CopyResult::Failed;
    }
    return CopyResult::Copied;
}

// The files and folders one extraction created, so that a refused archive leaves none of
// them behind.
class CreatedPaths {
public:
    void AddFile(const std::string& path) { files_.push_back(path); }
    void AddFolder(const std::string& path) { folders_.push_back(path); }
    void RemoveAll() {
        for (const std::string& file : files_)
            static_cast<void>(RemoveFile(file));
        for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder)
            static_cast<void>(RemoveEmptyFolder(*folder));
        files_.clear();
        folders_.clear();
    }

private:
    std::vector<std::string> files_;
    std::vector<std::string> folders_;
};

// Why an entry's data cannot be extracted, checked before anything is created for it, or
// the empty string.
std::string StoredDataRefusal(const ArchiveEntry& entry, std::uint64_t archiveLength) {
    if (entry.storedSize > kMaxEntrySize || entry.unpackedSize > kMaxEntrySize)
        return "larger than 2 GiB";
    if (std::uint64_t{entry.dataOffset} + entry.storedSize > archiveLength)
        return "data reaches past the end of the archive";
    return {};
}

// Why a name cannot be extracted below targetFolder: its own form, its full path, or a file
// that an earlier name of the directory already makes (on Windows, whose names ignore case).
std::string WholeNameRefusal(const std::string& targetFolder, const std::string& name,
                             std::set<std::string>& files) {
    if (std::string why = EntryNameRefusal(name); !why.empty())
        return why;
    if (std::string why = EntryPathRefusal(targetFolder, name); !why.empty())
        return why;
    if (!files.insert(EntryFileKey(name)).second)
        return "names the same file as an earlier entry, as Windows reads names";
    return {};
}

bool CreateFolders(const std::string& targetFolder, const std::string& entryName,
                   CreatedPaths* created, std::FILE* report, SystemError* error);

class Extraction {
public:
    Extraction(std::FILE* archive, std::uint64_t archiveLength, const std::string& targetFolder,
               std::FILE* trace, const CancelCheck& cancelled, Reports& reports)
        : archive_(archive), archiveLength_(archiveLength), targetFolder_(targetFolder),
          trace_(trace), cancelled_(cancelled), reports_(reports) {}

    bool Run();

private:
    bool SeekDirectory();
    bool ProbeStoredMode();
    bool CheckNames();
    bool ExtractEntry(std::uint64_t previousRecordEnd);
    bool ExtractData(const ArchiveEntry& entry);
    bool Cancelled();
    // The reader's own lines besides the trace go with it, or to standard error without it.
    std::FILE* ReportLines() const { return trace_ ? trace_ : stderr; }
    void Trace(const ArchiveEntry& entry, std::uint32_t nameLength,
               std::uint64_t previousRecordEnd);

    std::FILE* archive_;
    std::uint64_t archiveLength_;
    const std::string& targetFolder_;
    std::FILE* trace_;
    const CancelCheck& cancelled_;
    Reports& reports_;
    bool cancelSeen_ = false;
    CreatedPaths created_;
    std::uint32_t directoryOffset_ = 0;
    std::uint32_t entryCount_ = 0;
    bool storedMode_ = true;
    std::unique_ptr<BlockBuffers> buffers_; // only an archive of compressed entries needs them
};

bool Extraction::SeekDirectory() {
    char magic[kArchiveMagic.size()] = {};
    const bool hasMagic = std::fread(magic, 1, sizeof magic, archive_) == sizeof magic &&
                          std::memcmp(magic, kArchiveMagic.data(), sizeof magic) == 0;
    if (!hasMagic)
        std::rewind(archive_);
    if (!ReadUint32LE(archive_, directoryOffset_)) {
        reports_.Stdio("unpack:fread(directory offset)", archive_);
        return false;
    }
    if (directoryOffset_ > archiveLength_) {
        reports_.Refuse("directory offset beyond the end of the archive");
        return false;
    }
    // An unreadable count is caught by the probe, which reads past it.
    if (SeekStdFile(archive_, directoryOffset_, SEEK_SET) == 0 &&
        !ReadUint32LE(archive_, entryCount_))
        entryCount_ = 0;
    return true;
}

// The first entry decides for the whole archive: equal sizes mean stored entries. The probe
// comes before the count is looked at, so an archive without entries fails here.
bool Extraction::ProbeStoredMode() {
    ArchiveEntry first;
    std::uint32_t nameLength = 0;
    if (ReadRecordHead(archive_, first, nameLength, reports_) != ReadResult::Read)
        return false;
    storedMode_ = first.storedSize == first.unpackedSize;
    if (!storedMode_)
        buffers_ = std::make_unique<BlockBuffers>();
    return SeekStdFile(archive_, std::int64_t{directoryOffset_} + 4, SEEK_SET) == 0;
}

// Every name of the directory, before the first entry is opened: a hostile name further down
// must not find the earlier entries written (a device opened, a path too long to delete).
bool Extraction::CheckNames() {
    std::set<std::string> files;
    for (std::uint32_t i = 0; i < entryCount_; ++i) {
        ArchiveEntry entry;
        std::uint32_t nameLength = 0;
        if (ReadRecord(archive_, entry, nameLength, reports_) != ReadResult::Read)
            return false;
        if (const std::string why = WholeNameRefusal(targetFolder_, entry.name, files);
            !why.empty()) {
            reports_.RefuseName(entry.name, why);
            return false;
        }
    }
    return SeekStdFile(archive_, std::int64_t{directoryOffset_} + 4, SEEK_SET) == 0;
}

void Extraction::Trace(const ArchiveEntry& entry, std::uint32_t nameLength,
                       std::uint64_t previousRecordEnd) {
    if (!trace_)
        return;
    std::fprintf(trace_,
                 " Name length: %2ld\tFilename: %s\tOffset: %5ld\nSize: %5ld\tPosition: %lu\n",
                 static_cast<long>(nameLength), EscapeForTerminal(entry.name).c_str(),
                 static_cast<long>(entry.dataOffset), static_cast<long>(entry.storedSize),
                 static_cast<unsigned long>(previousRecordEnd));
}

bool Extraction::Cancelled() {
    if (!cancelSeen_ && CancelWanted(cancelled_)) {
        cancelSeen_ = true;
        reports_.Refuse("cancelled");
    }
    return cancelSeen_;
}

bool Extraction::ExtractData(const ArchiveEntry& entry) {
    if (storedMode_) {
        const std::string refusal = StoredDataRefusal(entry, archiveLength_);
        if (!refusal.empty()) {
            reports_.RefuseEntry(entry, refusal);
            return false;
        }
    }
    SystemError folderError;
    if (!CreateFolders(targetFolder_, entry.name, &created_, ReportLines(), &folderError)) {
        reports_.RefuseEntry(
            entry, "cannot create its folders" +
                       (folderError.code ? " (" + folderError.Describe() + ")" : std::string()));
        return false;
    }
    const std::string path = EntryOutputPath(targetFolder_, entry.name);
    // A link in the file's place is refused by the open, and is not ours to remove.
    const PathKind existing = InspectPath(path).kind;
    if (existing != PathKind::Link && existing != PathKind::Folder && existing != PathKind::Other)
        created_.AddFile(path);
    if (storedMode_) {
        const CopyResult copied = ExtractStored(
            archive_, entry, path, [this] { return Cancelled(); }, reports_);
        return copied == CopyResult::Copied;
    }
    SystemError outputError;
    const int code = DecodeCompressedEntry(
        archive_, path, entry.unpackedSize, entry.dataOffset, *buffers_, ReportLines(),
        [this] { return Cancelled(); }, &outputError);
    if (code == kEntryCancelled)
        return false;
    if (code == kEntryOutputFailed && outputError.code != 0) {
        reports_.System("unpack:fopen(output)", outputError);
        return false;
    }
    if (code != kEntryDecoded) {
        reports_.RefuseEntry(entry, EntryRefusalText(code));
        return false;
    }
    return true;
}

bool Extraction::ExtractEntry(std::uint64_t previousRecordEnd) {
    ArchiveEntry entry;
    std::uint32_t nameLength = 0;
    if (ReadRecord(archive_, entry, nameLength, reports_) != ReadResult::Read)
        return false;
    Trace(entry, nameLength, previousRecordEnd);
    const std::int64_t recordEnd = TellStdFile(archive_);
    if (entry.dataOffset > archiveLength_) {
        reports_.Refuse("data offset beyond the end of the archive");
        return false;
    }
    if (!ExtractData(entry))
        return false;
    return recordEnd >= 0 && SeekStdFile(archive_, recordEnd, SEEK_SET) == 0;
}

bool Extraction::Run() {
    bool extracted = SeekDirectory() && ProbeStoredMode() && CheckNames();
    std::uint64_t previousRecordEnd = 0;
    for (std::uint32_t i = 0; extracted && i < entryCount_; ++i) {
        extracted = !Cancelled() && ExtractEntry(previousRecordEnd);
        previousRecordEnd = static_cast<std::uint64_t>(TellStdFile(archive_));
    }
    if (!extracted)
        created_.RemoveAll();
    return extracted;
}

// True when path names a real folder, not a link to one.
bool IsRealFolder(const std::string& path) {
    return InspectPath(path).kind == PathKind::Folder;
}

bool CreateFolders(const std::string& targetFolder, const std::string& entryName,
                   CreatedPaths* created, std::FILE* report, SystemError* error) {
    if (!EntryNameRefusal(entryName).empty())
        return false;
    const std::vector<std::string> components = EntryNameComponents(entryName);
    std::string folder = targetFolder;
    for (std::size_t i = 0; i + 1 < components.size(); ++i) {
        if (components[i] == ".")
            continue;
        folder = JoinPath(folder, components[i]);
        if (IsRealFolder(folder))
            continue;
        if (const FileResult made = CreateFolder(folder); !made) {
            std::fputs("failed to create directory!\n", report);
            if (error)
                *error = made.Error();
            return false;
        }
        if (created)
            created->AddFolder(folder);
    }
    return true;
}

} // namespace

bool CreateEntryFolders(const std::string& targetFolder, const std::string& entryName) {
    return CreateFolders(targetFolder, entryName, nullptr, stdout, nullptr);
}

UnpackResult UnpackArchive(const std::string& archivePath, const std::string& targetFolder,
                           std::FILE* trace, const CancelCheck& cancelled) {
    Reports reports;
    SystemError error;
    File archive(OpenStdFile(archivePath, "rb", &error));
    if (!archive) {
        reports.System("unpack:fopen()", error);
        return UnpackResult::Failed(reports.Cause());
    }
    const auto length = OpenFileLength(archive.get());
    if (!length) {
        reports.Stdio("unpack:fopen()", nullptr);
        return UnpackResult::Failed(reports.Cause());
    }
    if (!Extraction(archive.get(), *length, targetFolder, trace, cancelled, reports).Run())
        return UnpackResult::Failed(reports.Cause());
    return {};
}
