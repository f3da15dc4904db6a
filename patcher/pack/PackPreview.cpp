#include "patcher/pack/PackPreview.h"

#include "archive/UnpackArchive.h"
#include "common/DeleteFolderTree.h"
#include "platform/FileOps.h"

namespace {

// A fresh folder of its own, so the extracted pack meets nothing else.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& workFolder)
        : path_(CreateUniqueFolder(workFolder, "preview-")) {}
    ~ScratchFolder() {
        if (!path_.empty())
            DeleteFolderTree(path_);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace

PackPreview PackPreview::Read(const std::string& packPath, const std::string& workFolder) {
    PackPreview preview;
    if (!FileExists(packPath)) {
        preview.problem = "File is missing - unable to patch.";
        return preview;
    }
    ScratchFolder scratch(workFolder);
    if (scratch.Path().empty() || !UnpackArchive(packPath, scratch.Path(), nullptr)) {
        preview.problem = "Not a valid velk file.";
        return preview;
    }
    PackValidator validator(scratch.Path());
    preview.problem = validator.Check(OggSongDepth::HeadersOnly);
    if (preview.problem.empty())
        preview.songs = validator.Songs();
    return preview;
}
