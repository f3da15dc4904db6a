#include "builder/ProjectFile.h"

#include "builder/ProjectPaths.h"
#include "builder/SongProject.h"
#include "builder/TrimRefusal.h"
#include "common/CodePage.h"
#include "common/FileError.h"
#include "common/LittleEndian.h"
#include "common/TextFileWriter.h"
#include "platform/FileOps.h"
#include "platform/SafeFile.h"
#include "platform/StdFile.h"

#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr std::int32_t kFileVersion = 2;
// A project with a trim: the version-2 layout with this version, then the trim block. The
// original program reads any version above 2 as version 2 and ignores what follows the
// sixteenth record, so it opens such a project with its songs untrimmed.
constexpr std::int32_t kTrimmedFileVersion = 3;
constexpr char kTrimTag[] = {'T', 'R', 'I', 'M'};

void PutInt32(std::string& out, std::int32_t value) {
    AppendLittleEndian32(out, static_cast<std::uint32_t>(value));
}

void PutString(std::string& out, const std::string& text) {
    PutInt32(out, static_cast<std::int32_t>(text.size()));
    out += text;
}

bool AnyTrim(const SongProject& project) {
    for (int position = 1; position <= SongProject::kSlotCount; ++position)
        if (!project.SlotAt(position).trim().IsNone())
            return true;
    return false;
}

// "TRIM", then per slot its start, end (0: the song's end), fade in and fade out in
// milliseconds.
void PutTrimBlock(std::string& out, const SongProject& project) {
    out.append(kTrimTag, sizeof kTrimTag);
    for (int position = 1; position <= SongProject::kSlotCount; ++position) {
        const SongTrim& trim = project.SlotAt(position).trim();
        AppendLittleEndian32(out, Milliseconds(trim.start));
        AppendLittleEndian32(out, trim.end ? Milliseconds(*trim.end) : 0);
        AppendLittleEndian32(out, Milliseconds(trim.fadeIn));
        AppendLittleEndian32(out, Milliseconds(trim.fadeOut));
    }
}

std::string ProjectBytes(const SongProject& project) {
    const bool trimmed = AnyTrim(project);
    std::string out;
    PutInt32(out, trimmed ? kTrimmedFileVersion : kFileVersion);
    PutInt32(out, project.quality());
    for (int position = 1; position <= SongProject::kSlotCount; ++position) {
        const SongSlot& slot = project.SlotAt(position);
        PutString(out, slot.path());
        PutString(out, slot.title());
        PutInt32(out, std::bit_cast<std::int32_t>(slot.length()));
    }
    if (trimmed)
        PutTrimBlock(out, project);
    return out;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads fields from an opened file and knows how many bytes are left, so that no count from
// the file can ask for more memory than the file could fill.
class FieldReader {
public:
    FieldReader(std::FILE* file, std::uint64_t length, std::string name)
        : file_(file), left_(length), name_(std::move(name)) {}

    std::int32_t Int32() {
        unsigned char bytes[4];
        Read(bytes, sizeof bytes);
        return static_cast<std::int32_t>(LittleEndian32(bytes));
    }

    float Float() { return std::bit_cast<float>(Int32()); }

    std::uint32_t Uint32() { return static_cast<std::uint32_t>(Int32()); }

    // True, having read it, when the tag comes next; false when other bytes or fewer bytes
    // than the tag's follow.
    bool TagFollows(const char (&tag)[4]) {
        char bytes[4];
        if (left_ < sizeof bytes)
            return false;
        Read(bytes, sizeof bytes);
        return std::memcmp(bytes, tag, sizeof bytes) == 0;
    }

    std::string String() {
        std::int32_t count = Int32();
        if (count <= 0)
            return {};
        if (static_cast<std::uint64_t>(count) > left_)
            throw FileError(name_, "reading");
        std::string text(static_cast<std::size_t>(count), '\0');
        Read(text.data(), text.size());
        return text;
    }

private:
    void Read(void* out, std::size_t count) {
        if (count > left_ || std::fread(out, 1, count, file_) != count)
            throw FileError(name_, "reading");
        left_ -= count;
    }

    std::FILE* file_;
    std::uint64_t left_;
    std::string name_;
};

// Song paths are stored as UTF-8, which names any file on every system. The original program
// stored them in the Windows code page: such bytes are not UTF-8, and are read as
// Windows-1252 unless a file of exactly those bytes exists (a Linux name in another encoding).
// A relative path is read from the project's folder, wherever the program was started.
std::string SongPathOf(const std::string& stored, const std::string& projectFolder) {
    const std::string asStored = ResolvedAgainst(projectFolder, stored);
    if (CodePage::IsUtf8(stored) || FileExists(asStored))
        return asStored;
    return ResolvedAgainst(projectFolder, CodePage::ToUtf8(stored));
}

void LoadSlot(SongSlot& slot, FieldReader& reader, const std::string& projectFolder) {
    slot.Clear();
    // Each field lands as soon as it is read, so a cut file leaves what it held.
    slot.SetStoredPath(SongPathOf(reader.String(), projectFolder));
    slot.SetTitle(reader.String());
    slot.SetStoredLength(reader.Float());
    slot.Probe();
}

double SecondsOf(std::uint32_t milliseconds) {
    return static_cast<double>(milliseconds) / 1000.0;
}

// The trim block after the sixteenth record, known by its tag. A file without one (other
// bytes or none) is read as the original program reads it, untrimmed; a block cut short is
// refused as damaged, like a file cut short, leaving every slot untrimmed rather than some.
// The times are taken as stored; whether they fit the songs is checked where they are shown
// and at the build.
void LoadTrims(SongProject& project, FieldReader& reader) {
    if (!reader.TagFollows(kTrimTag))
        return;
    std::array<SongTrim, SongProject::kSlotCount> trims;
    for (SongTrim& trim : trims) {
        trim.start = SecondsOf(reader.Uint32());
        const std::uint32_t end = reader.Uint32();
        if (end != 0)
            trim.end = SecondsOf(end);
        trim.fadeIn = SecondsOf(reader.Uint32());
        trim.fadeOut = SecondsOf(reader.Uint32());
    }
    // All or none: a block cut short leaves every slot untrimmed.
    for (int position = 1; position <= SongProject::kSlotCount; ++position)
        project.SlotAt(position).SetTrim(trims[static_cast<std::size_t>(position - 1)]);
}

} // namespace

bool SaveProjectFile(const SongProject& project, const std::string& file) {
    TextFileWriter writer;
    if (!writer.Open(file))
        return false;
    writer.WriteRaw(ProjectBytes(project));
    writer.Close();
    return true;
}

FileResult SaveProjectFileAside(const SongProject& project, const std::string& file) {
    SafeFile safe(file);
    if (safe.Write(ProjectBytes(project)) && safe.Commit())
        return {};
    return safe.Error();
}

bool LoadProjectFile(SongProject& project, const std::string& file) {
    project.Reset();
    // A folder opens on Linux but is no project file; a named pipe would wait for a writer.
    std::unique_ptr<std::FILE, FileCloser> stream(OpenRegularStdFile(file));
    const auto length = stream ? OpenFileLength(stream.get()) : std::nullopt;
    if (!length)
        return false;
    project.SetPath(file);
    FieldReader reader(stream.get(), *length, file);
    const std::int32_t version = reader.Int32();
    if (version >= kFileVersion)
        project.SetQuality(reader.Int32());
    const std::string folder = FolderHolding(AbsolutePath(file));
    for (int position = 1; position <= SongProject::kSlotCount; ++position)
        LoadSlot(project.SlotAt(position), reader, folder);
    // Bytes after a version-2 file are ignored, as the original program ignores them.
    if (version >= kTrimmedFileVersion)
        LoadTrims(project, reader);
    return true;
}
