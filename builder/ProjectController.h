#pragma once
#include "builder/ProjectSettings.h"
#include "builder/ProjectView.h"
#include "builder/SlotListening.h"
#include "builder/SongProject.h"
#include "builder/TypedTitles.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Player;
class Progress;
class Prompts;
struct FileDialogOptions;
struct ImportSongsOutcome;

// Korvane's document and its rules, for the window and the command line alike: the project, its
// file and unsaved changes, the field buffers of the selected slot, the titles typed since the
// project was opened, the slots' trims, listening, the project lock, the recent projects and
// the dialogs' folders. It
// decides what each command does and what the window shows (View); the window only draws that
// and forwards the user's actions.
// Failure: every failure is told to the user through Prompts (message boxes, or lines on the
// command line) with the texts the window always had; a FileError from the project file or a
// build is caught and shown as its text. Commands that the caller must know the end of return
// it (saved, opened, built, added).
class ProjectController {
public:
    using ProgressFactory = std::function<std::unique_ptr<Progress>()>;
    // Shows a folder in the desktop's file manager; false when none could be started.
    using FolderOpener = std::function<bool(const std::string& folder)>;
    // Puts text on the clipboard; false when it did not take it.
    using ClipboardWriter = std::function<bool(const std::string& text)>;
    using FolderKind = ProjectSettings::FolderKind;

    // dataFolder holds velk_work, release.velk, the project locks and the songs of a project
    // that was never saved. Prompts and settings are not owned.
    ProjectController(Prompts& prompts, ProgressFactory progress, ProjectSettings& settings,
                      std::string dataFolder);
    ~ProjectController();

    // Every long command made on the command line reports to this one display.
    static ProgressFactory Borrowing(Progress& progress);
    void SetPrompts(Prompts& prompts) { prompts_ = &prompts; }
    void SetFolderOpener(FolderOpener opener) { folderOpener_ = std::move(opener); }

    // --- The window's commands. Each asks what it must first (unsaved changes, a file).
    void NewProject();
    void OpenProject();
    void OpenRecentProject(const std::string& path);
    // Opens a file already chosen (a command-line argument, a drop). False when it could not
    // be read: "Error reading project file." (the project is then empty), or a file cut short
    // (its error shown, the caption and the unsaved-changes state kept).
    bool OpenProjectFile(const std::string& path);
    // False when not saved (cancelled, refused by the lock, or failed).
    bool SaveProject();
    bool SaveProjectAs();
    // Picks songs of any format and imports them into the empty slots, in order.
    void AddSongs();
    // Imports songs under the progress display into the first empty slots (firstPosition 0) or
    // into the slot at firstPosition and those after it; keepOwnTitles leaves a title the user
    // gave alone. A project never saved is saved first, after a line that says why; nothing is
    // imported when that is cancelled or fails.
    void ImportSongFiles(const std::vector<std::string>& files, int firstPosition,
                         bool keepOwnTitles);
    // Files dropped on a row (0 to 15) or below the rows (-1). A project among them opens
    // instead, after the unsaved-changes question.
    void Drop(const std::vector<std::string>& paths, int row);
    // The rows a drop of `count` files on `row` (-1: below the rows) would fill.
    std::vector<int> DropRows(int row, int count) const;
    // Chooses the selected slot's song: a mono WAV is used as it is, anything else imported.
    void Browse();
    void Select(int row); // -1: none
    void MoveUp();
    void MoveDown();
    // The fields as typed. Each reads the fields back: a quality that is not a whole number
    // from 1 to 10 is refused with a message (and the focus asked for), after a title or path
    // edit has landed.
    void SetTitle(const std::string& text);
    void SetPath(const std::string& text);
    void SetQualityText(const std::string& text);
    // A trim field as typed, applied when the user leaves it or presses Enter: a time in
    // seconds (TrimText); empty is no Start, the song's end ("end" too) or no fade. A text that
    // is no time, or a trim that TrimRefusal refuses, is told with its message and changes
    // nothing: the field shows the slot's time again, and the focus is asked for.
    enum class TrimField { Start, End, FadeIn, FadeOut };
    void SetTrimText(TrimField field, const std::string& text);
    // The selected slot plays its whole song again.
    void ClearTrim();
    // [ and ]: the selected slot's Start or End becomes where the playing song stands in its
    // file, to the nearest tenth; refused as a typed time is. Nothing while no song plays.
    void MarkStart();
    void MarkEnd();

    // Listening, through the window's player (not owned; null: nothing plays). Playback stops
    // when the selected slot, its song or trim, the project or (for the game's version) the
    // quality changes.
    void SetPlayer(Player* player);
    // Play and Space: play, pause or play on the selected slot's song.
    void PlayOrPause();
    void StopListening();
    // Seconds from the playing song's Start.
    void SeekListening(double seconds);
    // "As the game plays it": keeps the position.
    void SetGameVersion(bool on);
    // Enter: checks the fields and applies the quality. False after the quality's message.
    bool ConfirmFields();
    // "Save changes to the project?" when there are unsaved changes. True when there were none
    // or the user saved or discarded them.
    bool MayDiscardChanges();
    // Checks the fields and the slots, asks for the destination, builds, and offers to open
    // the pack's folder.
    void Build();
    void CopyList(const ClipboardWriter& clipboard);
    void SetMatchLoudness(bool on);
    // Drops the recent projects that no longer exist (before the menu is shown).
    void RefreshRecentProjects();

    ProjectView View() const;
    // Where the focus should go after the last command; asked once.
    FocusRequest TakeFocusRequest();

    // --- The command line's.
    enum class BuildResult { Refused, Failed, Delivered };
    // Builds the open project to a destination chosen beforehand; jobs 0: one per core.
    BuildResult BuildTo(const std::string& destination, int jobs);
    enum class AddResult { AllAdded, NotAllAdded, Unreadable };
    // Imports songs into the empty slots of a project file (made when missing) and saves it
    // aside, holding the project's lock throughout. NotAllAdded: some song was refused (the
    // others went in), or the import was cancelled, refused by the lock, or not saved (then the
    // songs it wrote are removed and nothing changes).
    AddResult AddToProjectFile(const std::string& projectFile,
                               const std::vector<std::string>& songs);
    enum class TrimResult { Done, Refused, Unreadable };
    // Gives the slot at position (1 to 16) of a project file this trim (none: the whole song)
    // and saves it aside, holding the project's lock throughout, then tells the slot's new
    // trim in a line. Refused: the trim (its message), the lock or the save; nothing changes.
    TrimResult TrimProjectFile(const std::string& projectFile, int position, const SongTrim& trim);
    // A flat archive of a folder's files under a name prefix. False when not written.
    static bool WriteFolderArchive(const std::string& folder, const std::string& prefix,
                                   const std::string& output);

    SongProject& project() { return project_; }

private:
    void ResetProject();
    void ReadSelection();
    void ShowQuality();
    bool ReadFieldsBack();
    void MoveSelected(bool up);
    void ReadTrimFields();
    bool ApplyTrim(SongSlot& slot, const SongTrim& trim);
    void MarkWith(TrimField field);
    bool TrimsFit();
    void FollowListening();
    bool SaveTo(const std::string& path);
    void UseWavAsItIs(SongSlot& slot, const std::string& path);
    ImportSongsOutcome Import(const std::vector<std::string>& files, int firstPosition,
                              bool keepOwnTitles);
    bool RunBuild(Prompts& prompts, const std::string& destination, int jobs);
    void ShowDelivered(const std::string& message, const std::string& pack);
    FileDialogOptions DialogOptions(const char* filter, const char* extension,
                                    const std::string& initialName, FolderKind kind,
                                    const std::string& title) const;
    void RememberFolderOf(FolderKind kind, const std::string& file);
    void RememberRecent(const std::string& path);
    void ForgetRecent(const std::string& path);
    std::string LockFolder() const;
    int SelectedPosition() const;

    SongProject project_;
    Prompts* prompts_;
    ProgressFactory progress_;
    ProjectSettings& settings_;
    std::string dataFolder_;
    FolderOpener folderOpener_;

    std::string caption_;
    bool modified_ = false;
    SongSlot* selected_ = nullptr;
    // The fields as typed: what the window shows while the slot stays selected.
    std::string titleText_;
    std::string pathText_;
    std::string qualityText_;
    std::array<std::string, 4> trimText_;                 // by TrimField
    std::int32_t quality_ = SongProject::kDefaultQuality; // the last quality read back
    TypedTitles typed_;
    std::vector<std::string> recent_;
    FocusRequest focus_ = FocusRequest::None;
    SlotListening listening_;
};
