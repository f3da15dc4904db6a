#include "builder/ProjectFile.h"

#include "builder/ProjectPaths.h"
#include "builder/SongProject.h"
#include "common/CodePage.h"
#include "common/FileError.h"
#include "common/LittleEndian.h"
#include "common/TextFileWriter.h"
#include "platform/FileOps.h"
#include "platform/SafeFile.h"
#include "platform/StdFile.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr std::int32_t kFileVersion = 2;

void PutInt32(std::string& out, std::int32_t value) {
    AppendLittleEndian32(out, static_cast<std::uint32_t>(value));
}

void PutString(std::string& out, const std::string& text) {
    PutInt32(out, static_cast<std::int32_t>(text.size()));
    out += text;
}

std::string ProjectBytes(const SongProject& project) {
    std::string out;
    PutInt32(out, kFileVersion);
    PutInt32(out, project.quality());
    for (int position = 1; position <= SongProject::kSlotCount; ++position) {
        const SongSlot& slot = project.SlotAt(position);
        PutString(out, slot.path());
        PutString(out, slot.title());
        PutInt32(out, std::bit_cast<std::int32_t>(slot.length()));
    }
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
    if (reader.Int32() >= kFileVersion)
        project.SetQuality(reader.Int32());
    const std::string folder = FolderHolding(AbsolutePath(file));
    for (int position = 1; position <= SongProject::kSlotCount; ++position)
        LoadSlot(project.SlotAt(position), reader, folder);
    return true;
}
