#include "builder/ProjectController.h"

#include "archive/FlatArchiveWriter.h"
#include "builder/BuildPipeline.h"
#include "builder/GameTitle.h"
#include "builder/HeldSuccessPrompts.h"
#include "builder/ImportSongs.h"
#include "builder/ProjectFile.h"
#include "builder/ProjectLock.h"
#include "builder/ProjectPaths.h"
#include "builder/SlotLabels.h"
#include "builder/SongListText.h"
#include "builder/TrimRefusal.h"
#include "builder/TrimText.h"
#include "common/CodePage.h"
#include "common/FileError.h"
#include "common/Progress.h"
#include "common/Prompts.h"
#include "import/SongTags.h"
#include "platform/FileOps.h"
#include "platform/KnownFolders.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

namespace {

const char* const kProjectFilter = "VELK Project Files (*.velkp)|*.velkp||";
const char* const kPackFilter = "VELK Files (*.velk)|*.velk||";
// Every kind of file the importer reads, then the mono WAV files the builder takes as they are.
const char* const kSongFilter =
    "Audio Files (*.wav;*.flac;*.mp3;*.ogg;*.oga;*.opus;*.aif;*.aiff;*.aifc;*.m4a;*.mp4;*.aac;"
    "*.wma)|*.wav;*.flac;*.mp3;*.ogg;*.oga;*.opus;*.aif;*.aiff;*.aifc;*.m4a;*.mp4;*.aac;*.wma"
    "|Wav Files (*.wav)|*.wav||";
constexpr std::size_t kRecentCount = 5;

// ".velkp" in any case, as Windows names it.
bool IsProjectFile(const std::string& path) {
    const std::string extension = ".velkp";
    if (path.size() < extension.size())
        return false;
    return std::equal(extension.begin(), extension.end(), path.end() - extension.size(),
                      [](char want, char got) {
                          return want == (got >= 'A' && got <= 'Z' ? got - 'A' + 'a' : got);
                      });
}

// A whole number as typed: spaces around it and a sign allowed, nothing else.
std::optional<std::int32_t> WholeNumber(const std::string& text) {
    const char* const spaces = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(spaces);
    if (first == std::string::npos)
        return std::nullopt;
    const auto last = text.find_last_not_of(spaces);
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+')
        ++begin;
    std::int32_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || begin == end)
        return std::nullopt;
    return value;
}

const char* const kTrimFieldNames[] = {"Start", "End", "Fade in", "Fade out"};

std::size_t IndexOf(ProjectController::TrimField field) {
    return static_cast<std::size_t>(field);
}

FocusRequest FocusOn(ProjectController::TrimField field) {
    using Field = ProjectController::TrimField;
    switch (field) {
    case Field::Start:
        return FocusRequest::Start;
    case Field::End:
        return FocusRequest::End;
    case Field::FadeIn:
        return FocusRequest::FadeIn;
    case Field::FadeOut:
        break;
    }
    return FocusRequest::FadeOut;
}

// A time field's text: empty for 0 (or, for the End, the song's end).
std::string FieldText(double seconds) {
    return seconds > 0 ? SecondsText(seconds) : std::string();
}

// The trim with one field as typed; nothing when the text is no time.
std::optional<SongTrim> TrimWith(SongTrim trim, ProjectController::TrimField field,
                                 const std::string& text) {
    using Field = ProjectController::TrimField;
    const bool empty = text.find_first_not_of(" \t") == std::string::npos;
    if (field == Field::End && (empty || SaysTheEnd(text))) {
        trim.end.reset();
        return trim;
    }
    const std::optional<double> seconds = empty ? std::optional<double>(0.0) : ParseSeconds(text);
    if (!seconds)
        return std::nullopt;
    switch (field) {
    case Field::Start:
        trim.start = *seconds;
        break;
    case Field::End:
        trim.end = *seconds;
        break;
    case Field::FadeIn:
        trim.fadeIn = *seconds;
        break;
    case Field::FadeOut:
        trim.fadeOut = *seconds;
        break;
    }
    return trim;
}

// How the command line tells a slot's trim: "C: Title (from 30.0 s to the end, fade in 2.0 s,
// fade out 5.0 s)" or "C: Title (the whole song)".
std::string TrimLine(int position, const SongSlot& slot) {
    const SongTrim& trim = slot.trim();
    std::string line = LetterLabel(position) + ": " + CodePage::ToUtf8(slot.title()) + " (";
    if (trim.IsNone())
        return line + "the whole song)";
    return line + "from " + SecondsText(trim.start) + " s to " +
           (trim.end ? SecondsText(*trim.end) + " s" : std::string("the end")) + ", fade in " +
           SecondsText(trim.fadeIn) + " s, fade out " + SecondsText(trim.fadeOut) + " s)";
}

// A long command's display on the command line: the one the program made, borrowed.
class BorrowedProgress : public Progress {
public:
    explicit BorrowedProgress(Progress& shown) : shown_(shown) {}
    bool Open(const std::string& title, bool smooth) override { return shown_.Open(title, smooth); }
    void SetRange(int lower, int upper, int step) override { shown_.SetRange(lower, upper, step); }
    int SetPosition(int position) override { return shown_.SetPosition(position); }
    void SetText(const std::string& text) override { shown_.SetText(text); }
    bool Pump(bool cancelOnEscape) override { return shown_.Pump(cancelOnEscape); }
    bool Cancelled() const override { return shown_.Cancelled(); }
    void Hide() override { shown_.Hide(); }
    void Close() override { shown_.Close(); }

private:
    Progress& shown_;
};

} // namespace

ProjectController::ProjectController(Prompts& prompts, ProgressFactory progress,
                                     ProjectSettings& settings, std::string dataFolder)
    : prompts_(&prompts), progress_(std::move(progress)), settings_(settings),
      dataFolder_(std::move(dataFolder)), folderOpener_([](const std::string&) { return false; }) {
    ResetProject();
    RefreshRecentProjects();
}

ProjectController::~ProjectController() = default;

ProjectController::ProgressFactory ProjectController::Borrowing(Progress& progress) {
    return [&progress] { return std::make_unique<BorrowedProgress>(progress); };
}

// --- Project files

void ProjectController::NewProject() {
    if (MayDiscardChanges())
        ResetProject();
}

void ProjectController::ResetProject() {
    listening_.Stop(); // its slots live on, cleared
    project_.Reset();
    typed_.Forget();
    caption_ = "Korvane - New Project";
    modified_ = false;
    ShowQuality();
    ReadSelection();
}

void ProjectController::OpenProject() {
    if (!MayDiscardChanges())
        return;
    std::string chosen;
    if (prompts_->OpenFile(DialogOptions(kProjectFilter, "velkp", "*.velkp", FolderKind::Projects,
                                         "Open a Korvane Project"),
                           chosen)) {
        RememberFolderOf(FolderKind::Projects, chosen);
        OpenProjectFile(chosen);
        return;
    }
    ReadSelection(); // cancelled: the fields show the project again
    ShowQuality();
}

void ProjectController::OpenRecentProject(const std::string& path) {
    if (MayDiscardChanges())
        OpenProjectFile(path);
}

bool ProjectController::OpenProjectFile(const std::string& path) {
    const std::string file = AbsolutePath(path);
    listening_.Stop();
    bool loaded = false;
    try {
        loaded = project_.Load(file);
        if (!loaded)
            prompts_->Message("Error reading project file.");
    } catch (const FileError& error) {
        // A file cut short: the command stops here; caption and changes stay as they were.
        prompts_->Message(error.what());
        return false;
    }
    if (loaded)
        RememberRecent(file);
    else
        ForgetRecent(file);
    typed_.Forget(); // the file holds the game's bytes: nothing was typed
    caption_ = "Korvane - " + StemOf(file);
    modified_ = false;
    ReadSelection();
    ShowQuality();
    return loaded;
}

bool ProjectController::SaveProject() {
    if (project_.path().empty())
        return SaveProjectAs();
    return SaveTo(project_.path());
}

bool ProjectController::SaveProjectAs() {
    const std::string proposed =
        project_.path().empty() ? std::string("newproject.velkp") : project_.path();
    std::string chosen;
    if (!prompts_->SaveFile(DialogOptions(kProjectFilter, "velkp", proposed, FolderKind::Projects,
                                          "Save the Korvane Project As"),
                            chosen))
        return false;
    RememberFolderOf(FolderKind::Projects, chosen);
    chosen = AbsolutePath(chosen);
    project_.SetPath(chosen);
    caption_ = "Korvane - " + StemOf(chosen);
    if (!SaveTo(chosen)) {
        project_.SetPath(""); // the next Save asks for a name again
        return false;
    }
    return true;
}

bool ProjectController::SaveTo(const std::string& path) {
    ProjectLock lock(LockFolder()); // a `korvane --add` on the same project may be at work
    if (!lock.Take(path, *prompts_))
        return false;
    if (const FileResult saved = SaveProjectFileAside(project_, path); !saved) {
        prompts_->MessageWithDetails("Error saving project...", saved.Error().Describe());
        return false;
    }
    modified_ = false;
    RememberRecent(path);
    return true;
}

bool ProjectController::MayDiscardChanges() {
    if (!modified_)
        return true;
    switch (prompts_->AskToSave("Save changes to the project?")) {
    case Prompts::SaveChoice::Save:
        return SaveProject();
    case Prompts::SaveChoice::Discard:
        return true;
    case Prompts::SaveChoice::Cancel:
        break;
    }
    return false;
}

// --- Songs in

void ProjectController::AddSongs() {
    std::vector<std::string> files;
    if (!prompts_->OpenFiles(DialogOptions(kSongFilter, "", "", FolderKind::Songs, "Add Songs"),
                             files) ||
        files.empty())
        return;
    RememberFolderOf(FolderKind::Songs, files.front());
    ImportSongFiles(files, 0, false);
}

void ProjectController::ImportSongFiles(const std::vector<std::string>& files, int firstPosition,
                                        bool keepOwnTitles) {
    if (project_.path().empty()) { // the songs go beside the project, so it needs a place first
        prompts_->Inform("Korvane keeps imported songs in a folder beside the project: choose "
                         "where to save it");
        if (!SaveProjectAs())
            return;
    }
    if (Import(files, firstPosition, keepOwnTitles).added > 0)
        modified_ = true;
}

ImportSongsOutcome ProjectController::Import(const std::vector<std::string>& files,
                                             int firstPosition, bool keepOwnTitles) {
    ImportSongsOptions options;
    options.matchLoudness = settings_.MatchLoudness();
    options.dataFolder = dataFolder_;
    options.firstPosition = firstPosition;
    options.keepOwnTitles = keepOwnTitles;
    ImportSongsOutcome outcome;
    try {
        std::unique_ptr<Progress> progress = progress_();
        outcome = ImportSongs(*prompts_, *progress).Run(project_, files, options);
    } catch (const FileError& error) {
        prompts_->Message(error.what());
        outcome.result = ImportSongsOutcome::Result::NoFolder;
    }
    typed_.ForgetReplaced();
    ReadSelection();
    return outcome;
}

void ProjectController::Drop(const std::vector<std::string>& paths, int row) {
    const auto project = std::find_if(paths.begin(), paths.end(), IsProjectFile);
    if (project != paths.end()) { // a project among songs: the project wins
        if (MayDiscardChanges())
            OpenProjectFile(*project);
        return;
    }
    ImportSongFiles(paths, row >= 0 ? row + 1 : 0, false);
}

std::vector<int> ProjectController::DropRows(int row, int count) const {
    std::vector<int> rows;
    for (int next = std::max(row, 0); next < SongProject::kSlotCount && count > 0; ++next)
        if (row >= 0 || ImportSongs::IsEmptySlot(project_.SlotAt(next + 1))) {
            rows.push_back(next);
            --count;
        }
    return rows;
}

void ProjectController::Browse() {
    if (!selected_)
        return;
    const std::string title = "Choose the Song for Slot " + LetterLabel(SelectedPosition());
    std::string chosen;
    if (!prompts_->OpenFile(DialogOptions(kSongFilter, "wav", "", FolderKind::Songs, title),
                            chosen))
        return;
    RememberFolderOf(FolderKind::Songs, chosen);
    SongSlot probe;
    probe.SetPath(chosen);
    if (probe.valid())
        UseWavAsItIs(*selected_, chosen);
    else
        ImportSongFiles({chosen}, SelectedPosition(), true);
}

void ProjectController::UseWavAsItIs(SongSlot& slot, const std::string& path) {
    slot.SetPath(path);
    if (slot.title() == "empty slot")
        slot.SetTitle(GameTitle(SongTitleFor(ReadSongTags(path), path)).bytes);
    modified_ = true;
    ReadSelection();
}

// --- The selected slot and the fields

void ProjectController::Select(int row) {
    SongSlot* slot =
        row >= 0 && row < SongProject::kSlotCount ? &project_.SlotAt(row + 1) : nullptr;
    if (slot == selected_)
        return;
    selected_ = slot;
    ReadSelection();
}

int ProjectController::SelectedPosition() const {
    return selected_ ? project_.PositionOf(*selected_) : 0;
}

void ProjectController::ReadSelection() {
    if (!selected_) {
        titleText_.clear();
        pathText_.clear();
        ReadTrimFields();
        return;
    }
    const std::string* typed = typed_.Altered(*selected_);
    titleText_ = typed ? *typed : CodePage::ToUtf8(selected_->title());
    pathText_ = selected_->path();
    ReadTrimFields();
}

void ProjectController::ReadTrimFields() {
    FollowListening();
    if (!selected_) {
        trimText_ = {};
        return;
    }
    const SongTrim& trim = selected_->trim();
    trimText_[IndexOf(TrimField::Start)] = FieldText(trim.start);
    trimText_[IndexOf(TrimField::End)] = trim.end ? SecondsText(*trim.end) : std::string();
    trimText_[IndexOf(TrimField::FadeIn)] = FieldText(trim.fadeIn);
    trimText_[IndexOf(TrimField::FadeOut)] = FieldText(trim.fadeOut);
}

void ProjectController::FollowListening() {
    listening_.Follow(selected_, project_.quality());
}

void ProjectController::ShowQuality() {
    quality_ = project_.quality();
    qualityText_ = std::to_string(quality_);
}

bool ProjectController::ReadFieldsBack() {
    const std::optional<std::int32_t> quality = WholeNumber(qualityText_);
    const char* complaint = nullptr;
    if (!quality)
        complaint = "Please enter an integer for the Ogg quality.";
    else if (*quality < 1 || *quality > 10)
        complaint = "Please enter an Ogg quality between 1 and 10.";
    if (complaint) {
        prompts_->Message(complaint);
        focus_ = FocusRequest::Quality;
        return false;
    }
    quality_ = *quality;
    return true;
}

void ProjectController::SetTitle(const std::string& text) {
    titleText_ = text;
    ReadFieldsBack();
    if (!selected_)
        return;
    selected_->SetTitle(typed_.Type(*selected_, text));
    modified_ = true;
}

void ProjectController::SetPath(const std::string& text) {
    pathText_ = text;
    ReadFieldsBack();
    if (!selected_)
        return;
    // A relative path is the project's, never the current folder's; the field keeps the text.
    const std::string folder = FolderHolding(project_.path());
    selected_->SetPath(folder.empty() ? AbsolutePath(text) : ResolvedAgainst(folder, text));
    modified_ = true;
    FollowListening();
}

void ProjectController::SetQualityText(const std::string& text) {
    qualityText_ = text;
    if (ReadFieldsBack() && quality_ != project_.quality()) {
        project_.SetQuality(quality_);
        modified_ = true;
        FollowListening();
    }
}

bool ProjectController::ConfirmFields() {
    if (!ReadFieldsBack())
        return false;
    project_.SetQuality(quality_);
    FollowListening();
    return true;
}

// --- Trims

void ProjectController::SetTrimText(TrimField field, const std::string& text) {
    if (!selected_)
        return;
    const std::optional<SongTrim> typed = TrimWith(selected_->trim(), field, text);
    if (!typed)
        prompts_->Message(std::string("The ") + kTrimFieldNames[IndexOf(field)] +
                          " must be a time in seconds, such as 75.5.");
    if (!typed || !ApplyTrim(*selected_, *typed))
        focus_ = FocusOn(field);
    ReadTrimFields(); // the times as the slot holds them, also after a refusal
}

void ProjectController::ClearTrim() {
    if (selected_)
        ApplyTrim(*selected_, SongTrim());
    ReadTrimFields();
}

void ProjectController::MarkStart() {
    MarkWith(TrimField::Start);
}

void ProjectController::MarkEnd() {
    MarkWith(TrimField::End);
}

void ProjectController::MarkWith(TrimField field) {
    const std::optional<double> position = listening_.SourcePosition();
    if (!selected_ || !position)
        return;
    SongTrim trim = selected_->trim();
    const double tenths = std::round(*position * 10.0) / 10.0;
    if (field == TrimField::Start)
        trim.start = tenths;
    else
        trim.end = tenths;
    ApplyTrim(*selected_, trim);
    ReadTrimFields();
}

bool ProjectController::ApplyTrim(SongSlot& slot, const SongTrim& trim) {
    const std::string refusal = TrimRefusal(trim, slot.SongMilliseconds());
    if (!refusal.empty()) {
        prompts_->Message(refusal);
        return false;
    }
    if (trim != slot.trim()) {
        slot.SetTrim(trim);
        modified_ = true;
        FollowListening();
    }
    return true;
}

// The first slot whose trim does not fit its song, told as it would be when typed.
bool ProjectController::TrimsFit() {
    for (int position = 1; position <= SongProject::kSlotCount; ++position) {
        const SongSlot& slot = project_.SlotAt(position);
        const std::string refusal = TrimRefusal(slot.trim(), slot.SongMilliseconds());
        if (!refusal.empty()) {
            prompts_->Message("Slot " + LetterLabel(position) + ": " + refusal +
                              " Unable to build.");
            return false;
        }
    }
    return true;
}

// --- Listening

void ProjectController::SetPlayer(Player* player) {
    listening_.SetPlayer(player);
}

void ProjectController::PlayOrPause() {
    listening_.PlayOrPause(selected_, project_.quality());
}

void ProjectController::StopListening() {
    listening_.Stop();
}

void ProjectController::SeekListening(double seconds) {
    listening_.Seek(seconds);
}

void ProjectController::SetGameVersion(bool on) {
    listening_.SetGameVersion(on, project_.quality());
}

void ProjectController::MoveUp() {
    MoveSelected(true);
}

void ProjectController::MoveDown() {
    MoveSelected(false);
}

void ProjectController::MoveSelected(bool up) {
    if (selected_ && (up ? project_.MoveUp(*selected_) : project_.MoveDown(*selected_))) {
        modified_ = true;
        ReadSelection(); // the selection follows the slot
    }
    focus_ = FocusRequest::List; // the next arrow key or move goes on from the moved row
}

// --- Build and list

void ProjectController::Build() {
    if (!ReadFieldsBack())
        return;
    project_.SetQuality(quality_);
    FollowListening();
    if (!project_.AllValid()) {
        prompts_->Message("One or more items are not valid. Unable to build.");
        return;
    }
    if (!TrimsFit())
        return;
    std::string destination;
    if (!prompts_->SaveFile(DialogOptions(kPackFilter, "velk", "myvelk.velk", FolderKind::Packs,
                                          "Save the Music Pack As"),
                            destination))
        return;
    RememberFolderOf(FolderKind::Packs, destination);
    HeldSuccessPrompts held(*prompts_);
    const bool delivered = RunBuild(held, destination, 0);
    if (!held.Held().empty())
        ShowDelivered(held.Held(), delivered ? destination : std::string());
}

bool ProjectController::RunBuild(Prompts& prompts, const std::string& destination, int jobs) {
    try {
        std::unique_ptr<Progress> progress = progress_();
        BuildPipeline pipeline(prompts, *progress, dataFolder_);
        if (jobs > 0)
            pipeline.SetJobs(jobs);
        return pipeline.BuildMusicPackTo(project_, destination);
    } catch (const FileError& error) {
        prompts_->Message(error.what());
        return false;
    }
}

void ProjectController::ShowDelivered(const std::string& message, const std::string& pack) {
    if (pack.empty()) {
        prompts_->Inform(message);
        return;
    }
    const std::string text = message + "\n\nThe music pack is at:\n" + pack;
    if (!prompts_->InformWithOffer(text, "Open Folder"))
        return;
    const std::string folder = FolderHolding(pack);
    if (!folderOpener_(folder))
        prompts_->Message("Korvane could not open a file manager. The music pack is in the "
                          "folder:\n" +
                          folder);
}

void ProjectController::CopyList(const ClipboardWriter& clipboard) {
    if (!clipboard(SongListText(project_)))
        prompts_->Message("Unable to put on clipboard for some reason.");
}

// --- The command line

ProjectController::BuildResult ProjectController::BuildTo(const std::string& destination,
                                                          int jobs) {
    if (!project_.AllValid()) {
        prompts_->Message("One or more items are not valid. Unable to build.");
        return BuildResult::Refused;
    }
    if (!TrimsFit())
        return BuildResult::Refused;
    return RunBuild(*prompts_, destination, jobs) ? BuildResult::Delivered : BuildResult::Failed;
}

ProjectController::AddResult
ProjectController::AddToProjectFile(const std::string& projectFile,
                                    const std::vector<std::string>& songs) {
    const std::string file = AbsolutePath(projectFile);
    ProjectLock lock(LockFolder()); // from before the project is read until after it is saved
    if (!lock.Take(file, *prompts_))
        return AddResult::NotAllAdded;
    if (InspectPath(file).kind == PathKind::Missing) {
        ResetProject();
        project_.SetPath(file);
    } else if (!OpenProjectFile(file)) {
        return AddResult::Unreadable;
    }
    const ImportSongsOutcome outcome = Import(songs, 0, false);
    using Result = ImportSongsOutcome::Result;
    if (outcome.result == Result::Cancelled || outcome.result == Result::NoFolder)
        return AddResult::NotAllAdded;
    if (const FileResult saved = SaveProjectFileAside(project_, file); !saved) {
        // The songs would belong to no project: take back what this import wrote.
        for (const std::string& song : outcome.newFiles)
            RemoveFile(song);
        prompts_->MessageWithDetails("Error saving project...", saved.Error().Describe());
        return AddResult::NotAllAdded;
    }
    modified_ = false;
    return outcome.result == Result::AllAdded ? AddResult::AllAdded : AddResult::NotAllAdded;
}

ProjectController::TrimResult ProjectController::TrimProjectFile(const std::string& projectFile,
                                                                 int position,
                                                                 const SongTrim& trim) {
    const std::string file = AbsolutePath(projectFile);
    ProjectLock lock(LockFolder()); // from before the project is read until after it is saved
    if (!lock.Take(file, *prompts_))
        return TrimResult::Refused;
    if (!OpenProjectFile(file))
        return TrimResult::Unreadable;
    SongSlot& slot = project_.SlotAt(position);
    if (!ApplyTrim(slot, trim))
        return TrimResult::Refused;
    if (!SaveProjectFileAside(project_, file)) {
        prompts_->Message("Error saving project...");
        return TrimResult::Refused;
    }
    modified_ = false;
    prompts_->Inform(TrimLine(position, slot));
    return TrimResult::Done;
}

bool ProjectController::WriteFolderArchive(const std::string& folder, const std::string& prefix,
                                           const std::string& output) {
    FlatArchiveWriter writer;
    writer.sourceFolder = folder;
    writer.namePrefix = prefix;
    return writer.WriteArchive(output) && FileExists(output);
}

// --- Settings

void ProjectController::SetMatchLoudness(bool on) {
    settings_.SetMatchLoudness(on);
}

FileDialogOptions ProjectController::DialogOptions(const char* filter, const char* extension,
                                                   const std::string& initialName, FolderKind kind,
                                                   const std::string& title) const {
    // The folder last used for this kind, else where such files live; never the program's.
    std::string folder = settings_.LastFolder(kind);
    if (folder.empty() || !FolderExists(folder))
        folder = kind == FolderKind::Songs ? MusicFolder() : DocumentsFolder();
    return {filter, extension, initialName, folder, title};
}

void ProjectController::RememberFolderOf(FolderKind kind, const std::string& file) {
    settings_.SetLastFolder(kind, FolderHolding(AbsolutePath(file)));
}

void ProjectController::RefreshRecentProjects() {
    const std::vector<std::string> stored = settings_.RecentProjects();
    std::vector<std::string> existing;
    for (const std::string& path : stored)
        if (FileExists(path) && std::find(existing.begin(), existing.end(), path) == existing.end())
            existing.push_back(path);
    if (existing != stored)
        settings_.SetRecentProjects(existing);
    recent_.assign(existing.begin(), existing.begin() + std::min(existing.size(), kRecentCount));
}

void ProjectController::RememberRecent(const std::string& path) {
    RefreshRecentProjects();
    std::vector<std::string> paths = recent_;
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
    paths.insert(paths.begin(), path);
    paths.resize(std::min(paths.size(), kRecentCount));
    settings_.SetRecentProjects(paths);
    recent_ = paths;
}

void ProjectController::ForgetRecent(const std::string& path) {
    std::vector<std::string> paths = settings_.RecentProjects();
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
    settings_.SetRecentProjects(paths);
    RefreshRecentProjects();
}

std::string ProjectController::LockFolder() const {
    return JoinPath(dataFolder_, "locks");
}

// --- What the window shows

ProjectView ProjectController::View() const {
    ProjectView view;
    for (int position = 1; position <= SongProject::kSlotCount; ++position) {
        const SongSlot& slot = project_.SlotAt(position);
        SlotRowView& row = view.rows[static_cast<std::size_t>(position - 1)];
        row.number = NumberLabel(position);
        row.letter = LetterLabel(position);
        row.title = CodePage::ToUtf8(slot.title());
        const bool trimFits = TrimRefusal(slot.trim(), slot.SongMilliseconds()).empty();
        row.length = slot.valid() ? LengthText(slot.PlayedLength()) : "0";
        row.status = !slot.valid() ? slot.status() : trimFits ? "Ok" : "invalid trim";
        row.warning = !slot.valid() || !trimFits;
        row.titleTip = typed_.Tip(slot);
    }
    const int position = SelectedPosition();
    view.selectedRow = position - 1;
    view.titleText = titleText_;
    view.pathText = pathText_;
    view.slotFieldsEnabled = selected_ != nullptr;
    view.moveUpEnabled = position > 1;
    view.moveDownEnabled = position >= 1 && position < SongProject::kSlotCount;
    view.startText = trimText_[IndexOf(TrimField::Start)];
    view.endText = trimText_[IndexOf(TrimField::End)];
    view.fadeInText = trimText_[IndexOf(TrimField::FadeIn)];
    view.fadeOutText = trimText_[IndexOf(TrimField::FadeOut)];
    view.trimFieldsEnabled = selected_ != nullptr;
    view.listening = listening_.View(selected_);
    view.qualityText = qualityText_;
    if (selected_ && CodePage::ToUtf8(selected_->title()) != titleText_)
        view.inGameText = "In game: " + CodePage::ToUtf8(selected_->title());
    view.caption = caption_;
    view.modified = modified_;
    view.recentProjects = recent_;
    view.matchLoudness = settings_.MatchLoudness();
    return view;
}

FocusRequest ProjectController::TakeFocusRequest() {
    return std::exchange(focus_, FocusRequest::None);
}
