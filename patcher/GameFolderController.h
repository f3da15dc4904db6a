#pragma once
#include "common/Progress.h"
#include "common/Prompts.h"
#include "patcher/ChoiceMemory.h"
#include "patcher/PatcherView.h"
#include "patcher/SongPlayer.h"
#include "patcher/gamefolder/GameFolder.h"
#include "patcher/gamefolder/GameFolderAccess.h"
#include "patcher/gamefolder/VirtualStoreCopies.h"
#include "patcher/install/WorkFolderSession.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct FoundGameFolder;

// Palisor's state and decisions, without Qt: the game folder and the pack chosen, the work
// folder held for this run, the recovery of an interrupted change, the checks before Backup,
// Apply and Restore (a game file held open, then the rights, then the VirtualStore copies) and
// the actions themselves. The window draws View() and forwards the user's actions; the
// command line runs the same actions. Messages and questions go through Prompts; the system's
// side (rights, files held open, VirtualStore, restarting elevated) through GameFolderAccess.
// A file-layer error (FileError) passes through an action; the view is brought up to date
// first.
class GameFolderController {
public:
    enum class Front {
        // Actions run only while their button is enabled. A game folder that needs
        // administrator rights offers a restart as administrator.
        Window,
        // Actions always run, and their handlers refuse what the window's disabled buttons
        // spare it. No restart is ever offered, and no view is kept.
        CommandLine,
    };
    // What to do with VirtualStore copies of the game's files: ask (or, when Prompts cannot
    // ask, refuse and name the options that decide), or move them aside or keep them without
    // asking.
    enum class VirtualStoreChoice { Ask, Move, Keep };

    GameFolderController(std::string baseFolder, Prompts& prompts, GameFolderAccess& access,
                         Front front);
    ~GameFolderController();
    GameFolderController(const GameFolderController&) = delete;
    GameFolderController& operator=(const GameFolderController&) = delete;

    void SetMemory(ChoiceMemory* memory) { memory_ = memory; }
    void SetVirtualStoreChoice(VirtualStoreChoice choice) { virtualStoreChoice_ = choice; }
    // Called after every change of View(), also in the middle of an action (busy, settled).
    void SetViewListener(std::function<void()> listener) { listener_ = std::move(listener); }
    // What plays the pack's songs (the window's; none for the command line, which never plays).
    void SetSongPlayer(SongPlayer* player);

    const PatcherView& View() const { return view_; }
    const GameFolder& Game() const { return game_; }

    // Locks and empties the work folder for this run. The window then also finishes or undoes
    // an interrupted change in the game folder and reads the pack chosen before. False (message
    // shown, view closing) when another Palisor holds the work folder or it cannot be made.
    bool Start();

    // Adds folders to the drop-down after those it has, each once, in order.
    void OfferGameFolders(const std::vector<std::string>& folders);
    // Why the registry's GAMEDIR is not used (GameDirAnswer::refusal), for the folder's flag to
    // say while no folder is chosen; "" for none.
    void NoteRegistryRefusal(const std::string& refusal);
    // Takes a game folder or a pack as typed, browsed or picked, written with the system's
    // separator (WithSystemSeparators); the same path again changes nothing. Once started, the
    // window recovers a newly chosen folder and reads a new pack (checked as an install checks
    // it) into the preview; a game folder and an existing pack are remembered.
    void ChooseGameFolder(const std::string& folder);
    void ChoosePack(const std::string& pack);
    // The file dialogs; cancelling changes nothing.
    void BrowseForGameFolder();
    void BrowseForPack();

    // What the preview's line says while a player is there and nothing plays.
    static constexpr const char* kListeningHint =
        "Enter or a double-click plays the song; again, stops it.";
    // Listening (Enter or a double-click on a song of the preview): plays song number (1 to
    // 16) of the pack straight from the pack; the song that plays stops instead. Nothing
    // happens without a player, without sound output or without a pack that passed its checks.
    // Playback stops when the pack or the game folder changes, when an action starts, and at
    // StopListening (the window closing).
    void PlaySong(int number);
    void StopListening();
    // Brings what plays into the view (the window asks a few times a second); publishes only
    // when it changed.
    void FollowPlayback();

    // The three actions, after the checks. True only when the action's success message was
    // shown; the view tells what the action did before that message shows. An Apply shows its
    // progress on `progress`; trace takes the archive reader's lines.
    bool Backup();
    bool Apply(Progress& progress, std::FILE* trace = nullptr);
    bool Restore();

    // What the window starts with: the folder named on the command line, else the one used
    // last while it is still the game's; then the registry's answer and every folder found.
    static std::vector<std::string> StartingGameFolders(const std::optional<std::string>& named,
                                                        const std::string& last,
                                                        const std::string& registry,
                                                        const std::vector<FoundGameFolder>& found);
    // The pack named on the command line, else the one used last while it exists.
    static std::string StartingPack(const std::string& named, const std::string& last);

private:
    enum class Action { None, Backup, Apply, Restore };
    class ActionPrompts;

    void SetGameFolder(const std::string& folder);
    void SetPack(const std::string& pack);
    void ReadPackPreview();
    void RecoverGameFolder();
    template <typename Change> void ChangeGameFolder(Change change);
    template <typename Handler>
    bool Run(Action action, const std::vector<std::string>& files, Handler handler);
    bool Enabled(Action action) const;

    bool ReadyToChange(const std::vector<std::string>& files);
    bool GameFilesClosed(const std::vector<std::string>& files);
    bool FoldersWritable();
    std::string DeniedFolder(); // the first folder a change writes that needs the rights
    void RestartAsAdministrator();
    bool VirtualStoreCopiesSettled();
    VirtualStoreCopies VirtualStore();

    std::string ListeningLine() const;

    // Reads the game folder's state from the disk, then publishes.
    void Refresh();
    // Puts the view together from what was read last and tells the listener.
    void Publish();

    std::string baseFolder_;
    Prompts& prompts_;
    GameFolderAccess& access_;
    Front front_;
    ChoiceMemory* memory_ = nullptr;
    VirtualStoreChoice virtualStoreChoice_ = VirtualStoreChoice::Ask;
    std::function<void()> listener_;
    WorkFolderSession session_;

    GameFolder game_;
    std::string packPath_;
    std::vector<std::string> choices_;
    std::string registryRefusal_;
    bool started_ = false;
    bool packReady_ = false; // the pack passed the checks an install makes
    bool recovered_ = false; // an interrupted change was finished or undone in this folder
    Action running_ = Action::None;
    bool busy_ = false;
    PatcherView::Closing closing_ = PatcherView::Closing::No;

    // What the disk said when last read.
    std::string flag_;
    std::string stateLine_;
    bool isGame_ = false;
    bool backedUp_ = false;
    std::vector<PreviewSong> preview_;
    std::string packNote_;

    SongPlayer* player_ = nullptr;
    int playing_ = 0;             // the song last started, while it plays
    std::string playingProblem_;  // why the song last chosen could not play

    PatcherView view_;
};
