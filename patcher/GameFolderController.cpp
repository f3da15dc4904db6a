#include "patcher/GameFolderController.h"

#include "common/CodePage.h"
#include "patcher/gamefolder/ElevationDecision.h"
#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/GameFolderDiscovery.h"
#include "patcher/gamefolder/GameFolderRecovery.h"
#include "patcher/gamefolder/GameFolderState.h"
#include "patcher/install/ApplyPatch.h"
#include "patcher/install/Backup.h"
#include "patcher/install/WorkFolderPaths.h"
#include "patcher/pack/PackPreview.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/FolderLock.h"
#include "platform/KnownFolders.h"
#include "platform/NativePath.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

constexpr const char* kVirtualStoreNote =
    "The game reads copies of its files from VirtualStore, not from this folder.";

std::string HeldOpenQuestion(const std::string& path) {
    return path + " is in use by another program (is the game running?). Close the game, then "
                  "press Retry. Nothing was changed.";
}

// custom_music/backups as the system writes paths.
std::string BackupsInGameFolder() {
    return JoinPath("custom_music", "backups");
}

std::string VirtualStoreQuestion(const std::string& mirror) {
    return "The game reads copies of its files from VirtualStore (" + mirror +
           "), not from the game folder, so it would not see what Palisor changes there.\n\n"
           "Move the copies aside into " +
           BackupsInGameFolder() +
           ", where they are kept, so that the game reads its own folder again?";
}

// Without a terminal to ask on, the command line says how to decide instead.
std::string VirtualStoreRefusal(const std::string& mirror) {
    return "The game reads copies of its files from VirtualStore (" + mirror +
           "), not from the game folder, so it would not see what Palisor changes there. "
           "Nothing was changed. Run palisor again with --move-virtualstore to move them "
           "aside into " +
           BackupsInGameFolder() +
           ", where they are kept, or with --keep-virtualstore to leave them where they are.";
}

std::string VirtualStoreKeptMessage(const std::string& mirror) {
    return "The copies in " + mirror +
           " were left where they are: the game will keep reading them instead of the files "
           "Palisor changes.";
}

std::string VirtualStoreMoveFailedMessage(const VirtualStoreCopies::MoveOutcome& outcome) {
    return "Couldn't move " + outcome.failedCopy + " aside into " + outcome.backupFolder +
           ". What was moved before it is kept there, nothing was deleted, and nothing else was "
           "changed.";
}

// The local time the folder of moved copies is named after, "2024-05-01 14-03-59", with
// " (2)" and so on when copies were moved aside before in the same second.
std::string FreshStamp(const VirtualStoreCopies& copies) {
    const std::time_t now = std::time(nullptr);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H-%M-%S", std::localtime(&now));
    std::string stamp = text;
    const auto taken = [&] {
        const PathKind kind = InspectPath(copies.AsideFolder(stamp)).kind;
        return kind != PathKind::Missing && kind != PathKind::Unknown; // Unknown: moving says why
    };
    for (int n = 2; taken(); ++n)
        stamp = std::string(text) + " (" + std::to_string(n) + ")";
    return stamp;
}

std::string MinutesAndSeconds(double seconds) {
    const long whole = std::lround(std::max(0.0, seconds));
    const long rest = whole % 60;
    return std::to_string(whole / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

std::vector<PreviewSong> PreviewOf(const std::vector<PackSong>& songs) {
    std::vector<PreviewSong> rows;
    for (const PackSong& song : songs) {
        const std::size_t number = rows.size() + 1;
        rows.push_back({(number < 10 ? "0" : "") + std::to_string(number),
                        CodePage::ToUtf8(song.title), MinutesAndSeconds(song.seconds)});
    }
    return rows;
}

void AddOnce(std::vector<std::string>& list, const std::string& item) {
    if (!item.empty() && std::find(list.begin(), list.end(), item) == list.end())
        list.push_back(item);
}

} // namespace

// What an action shows through: the user's prompts, but the view is brought up to date before a
// success message, so that the state line behind it already tells what the action did.
class GameFolderController::ActionPrompts : public Prompts {
public:
    explicit ActionPrompts(GameFolderController& controller)
        : controller_(controller), prompts_(controller.prompts_) {}

    void Message(const std::string& text) override { prompts_.Message(text); }
    void MessageWithDetails(const std::string& text, const std::string& details) override {
        prompts_.MessageWithDetails(text, details);
    }
    void Inform(const std::string& text) override {
        controller_.Refresh();
        prompts_.Inform(text);
    }
    bool InformWithOffer(const std::string& text, const std::string& offer) override {
        controller_.Refresh();
        return prompts_.InformWithOffer(text, offer);
    }
    bool CanAsk() const override { return prompts_.CanAsk(); }
    Answer Ask(const std::string& question, Buttons buttons) override {
        return prompts_.Ask(question, buttons);
    }
    SaveChoice AskToSave(const std::string& question) override {
        return prompts_.AskToSave(question);
    }
    bool OpenFile(const FileDialogOptions& options, std::string& path) override {
        return prompts_.OpenFile(options, path);
    }
    bool OpenFiles(const FileDialogOptions& options, std::vector<std::string>& paths) override {
        return prompts_.OpenFiles(options, paths);
    }
    bool SaveFile(const FileDialogOptions& options, std::string& path) override {
        return prompts_.SaveFile(options, path);
    }
    bool BrowseFolder(const std::string& title, std::string& folder) override {
        return prompts_.BrowseFolder(title, folder);
    }

private:
    GameFolderController& controller_;
    Prompts& prompts_;
};

GameFolderController::GameFolderController(std::string baseFolder, Prompts& prompts,
                                           GameFolderAccess& access, Front front)
    : baseFolder_(WithSystemSeparators(baseFolder)), prompts_(prompts), access_(access),
      front_(front) {
    Refresh();
}

GameFolderController::~GameFolderController() = default;

bool GameFolderController::Start() {
    started_ = true;
    if (!session_.Begin(baseFolder_, prompts_)) {
        closing_ = PatcherView::Closing::Failed;
        Publish();
        return false;
    }
    if (front_ == Front::Window) {
        RecoverGameFolder();
        ReadPackPreview();
    }
    Refresh();
    return true;
}

void GameFolderController::OfferGameFolders(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders)
        AddOnce(choices_, folder);
    Publish();
}

void GameFolderController::NoteRegistryRefusal(const std::string& refusal) {
    registryRefusal_ = refusal;
    Refresh();
}

// Paths are kept as the system's user reads them, whichever separator they came with.
void GameFolderController::ChooseGameFolder(const std::string& folder) {
    if (WithSystemSeparators(folder) != game_.Path())
        SetGameFolder(WithSystemSeparators(folder));
}

void GameFolderController::ChoosePack(const std::string& pack) {
    if (WithSystemSeparators(pack) != packPath_)
        SetPack(WithSystemSeparators(pack));
}

// The dialogs start where the game or the pack is, else where such things live; never in the
// program's own folder.
void GameFolderController::BrowseForGameFolder() {
    std::string chosen = FolderExists(game_.Path()) ? game_.Path() : std::string();
    for (const std::string& programs : access_.ProgramFilesFolders())
        if (chosen.empty() && FolderExists(programs))
            chosen = programs;
    if (prompts_.BrowseFolder("Find The BFV Folder", chosen))
        SetGameFolder(WithSystemSeparators(chosen));
}

void GameFolderController::BrowseForPack() {
    std::string folder;
    if (CodePage::IsUtf8(packPath_))
        folder = Utf8Path(NativePath(packPath_).parent_path());
    if (packPath_.empty() || !FolderExists(folder))
        folder = DocumentsFolder();
    const FileDialogOptions options{"VELK Files (*.velk)|*.velk||", "velk", "*.velk", folder,
                                    "Choose the Music Pack to Install"};
    std::string chosen;
    if (prompts_.OpenFile(options, chosen))
        SetPack(WithSystemSeparators(chosen));
}

void GameFolderController::SetSongPlayer(SongPlayer* player) {
    StopListening();
    player_ = player;
    Publish();
}

void GameFolderController::PlaySong(int number) {
    const bool known = number >= 1 && static_cast<std::size_t>(number) <= preview_.size();
    if (!player_ || !packReady_ || !known || player_->SoundOutput() == Player::Output::Unavailable)
        return;
    const Player::State state = player_->CurrentState();
    const bool sounding = state == Player::State::Starting || state == Player::State::Playing ||
                          state == Player::State::Paused;
    if (number == playing_ && sounding) {
        StopListening();
    } else {
        playingProblem_.clear();
        playing_ = player_->PlayPackSong(packPath_, number, playingProblem_) ? number : 0;
    }
    Publish();
}

void GameFolderController::StopListening() {
    playingProblem_.clear();
    if (player_ && playing_ != 0)
        player_->Stop();
    playing_ = 0;
}

void GameFolderController::FollowPlayback() {
    if (!player_)
        return;
    if (playing_ != 0) {
        const Player::State state = player_->CurrentState();
        if (state == Player::State::Failed) {
            playingProblem_ = player_->Problem();
            playing_ = 0;
        } else if (state == Player::State::Finished || state == Player::State::Idle) {
            playing_ = 0;
        }
    }
    if (view_.playingSong != playing_ || view_.listening != ListeningLine())
        Publish();
}

// "Playing 03 Title  0:12 / 3:07" while a song plays; otherwise why nothing can, how to play
// one, or "" (no player, or no pack to play).
std::string GameFolderController::ListeningLine() const {
    if (!player_)
        return {};
    if (player_->SoundOutput() == Player::Output::Unavailable)
        return kNoSoundOutput;
    if (!playingProblem_.empty())
        return playingProblem_;
    if (playing_ == 0 || static_cast<std::size_t>(playing_) > preview_.size())
        return packReady_ ? kListeningHint : "";
    const PreviewSong& song = preview_[static_cast<std::size_t>(playing_ - 1)];
    return "Playing " + song.number + " " + song.title + "  " +
           MinutesAndSeconds(player_->Position()) + " / " + MinutesAndSeconds(player_->Duration());
}

void GameFolderController::SetGameFolder(const std::string& folder) {
    StopListening();
    game_ = GameFolder(folder);
    recovered_ = false;
    if (started_ && front_ == Front::Window) // before that, starting recovers
        RecoverGameFolder();
    if (game_.IsGame()) {
        if (memory_)
            memory_->RememberGameFolder(folder);
        AddOnce(choices_, folder);
    }
    Refresh();
}

void GameFolderController::SetPack(const std::string& pack) {
    StopListening();
    packPath_ = pack;
    if (memory_ && FileExists(packPath_))
        memory_->RememberPack(packPath_);
    ReadPackPreview();
    Refresh();
}

// The pack is read into the work folder, which is only ours once started; a pack chosen
// before that is read then. The command line checks the pack as it installs it.
void GameFolderController::ReadPackPreview() {
    preview_.clear();
    packNote_.clear();
    packReady_ = false;
    if (packPath_.empty() || !started_ || front_ != Front::Window)
        return;
    busy_ = true;
    Publish();
    PackPreview read;
    try {
        read = PackPreview::Read(packPath_, WorkFolderIn(baseFolder_));
    } catch (...) {
        busy_ = false;
        Publish();
        throw;
    }
    busy_ = false;
    packReady_ = read.problem.empty();
    preview_ = PreviewOf(read.songs);
    packNote_ = read.problem;
}

void GameFolderController::RecoverGameFolder() {
    if (!game_.Exists() || !game_.WhyRewritten().empty()) // the flag says why not
        return;
    // Without the rights it would fail halfway; the next action offers them first.
    if (game_.ChangeInterrupted() && !DeniedFolder().empty())
        return;
    ChangeGameFolder([&] {
        FolderLock gameLock;
        BeginGameChange(game_, prompts_, gameLock);
    });
}

// Every change of the game folder first finishes or undoes a change a crash interrupted; the
// state line tells when that happened (the journal was there before and is gone after).
template <typename Change> void GameFolderController::ChangeGameFolder(Change change) {
    const bool interrupted = game_.ChangeInterrupted();
    change();
    if (interrupted && !game_.ChangeInterrupted())
        recovered_ = true;
}

bool GameFolderController::Backup() {
    return Run(Action::Backup, game_.Originals(), [&](Prompts& prompts, const Settled& settled) {
        return BackupOriginals(game_, prompts, settled);
    });
}

bool GameFolderController::Restore() {
    return Run(Action::Restore, game_.Originals(), [&](Prompts& prompts, const Settled& settled) {
        return RestoreOriginals(game_, prompts, settled);
    });
}

bool GameFolderController::Apply(Progress& progress, std::FILE* trace) {
    return Run(Action::Apply, game_.InstallTargets(), [&](Prompts& prompts, const Settled&) {
        return ApplyPatch(game_, packPath_, baseFolder_, prompts, progress, trace);
    });
}

// The action's button is disabled while it runs, and Backup and Restore show the busy cursor;
// the view follows the disk again once the handler has settled, and after it returns.
template <typename Handler>
bool GameFolderController::Run(Action action, const std::vector<std::string>& files,
                               Handler handler) {
    if (front_ == Front::Window && !Enabled(action))
        return false;
    StopListening(); // before any question: the action has started
    if (!ReadyToChange(files))
        return false;
    running_ = action;
    busy_ = action != Action::Apply; // Apply shows its progress window instead
    Publish();
    const auto settled = [this] {
        running_ = Action::None;
        Refresh();
    };
    bool done = false;
    ActionPrompts prompts(*this);
    try {
        ChangeGameFolder([&] { done = handler(prompts, settled); });
    } catch (...) {
        running_ = Action::None;
        busy_ = false;
        Refresh();
        throw;
    }
    running_ = Action::None;
    busy_ = false;
    Refresh();
    return done;
}

bool GameFolderController::Enabled(Action action) const {
    switch (action) {
    case Action::Backup:
        return view_.backupEnabled;
    case Action::Apply:
        return view_.applyEnabled;
    case Action::Restore:
        return view_.restoreEnabled;
    case Action::None:
        break;
    }
    return false;
}

// Rights before the VirtualStore copies: moving them aside writes the game folder too, and an
// elevated Palisor asks about them again. A folder that is not there is left to the handlers,
// which say so.
bool GameFolderController::ReadyToChange(const std::vector<std::string>& files) {
    if (!game_.Exists() || !game_.WhyRewritten().empty())
        return true;
    return GameFilesClosed(files) && FoldersWritable() && VirtualStoreCopiesSettled();
}

bool GameFolderController::GameFilesClosed(const std::vector<std::string>& files) {
    for (;;) {
        const std::string held = FirstFileInUse(
            files, [this](const std::string& path) { return access_.HeldOpen(path); });
        if (held.empty())
            return true;
        if (!prompts_.CanAsk()) {
            prompts_.Message(FileInUseMessage(held));
            return false;
        }
        if (prompts_.Ask(HeldOpenQuestion(held), Prompts::Buttons::RetryCancel) !=
            Prompts::Answer::Retry)
            return false;
    }
}

bool GameFolderController::FoldersWritable() {
    ElevationFacts facts;
    facts.deniedFolder = DeniedFolder();
    facts.writable = facts.deniedFolder.empty();
    facts.elevated = access_.Elevated();
    facts.canRestart = access_.CanRestartElevated();
    facts.fromWindow = front_ == Front::Window;
    const ElevationDecision decision = DecideElevation(facts);
    switch (decision.step) {
    case ElevationDecision::Step::Proceed:
        return true;
    case ElevationDecision::Step::Refuse:
        prompts_.Message(decision.message);
        return false;
    case ElevationDecision::Step::OfferRestart:
        if (prompts_.Ask(decision.message, Prompts::Buttons::YesNo) == Prompts::Answer::Yes)
            RestartAsAdministrator();
        return false;
    }
    return false;
}

std::string GameFolderController::DeniedFolder() {
    return FirstFolderDenied(
        game_, [this](const std::string& folder) { return access_.ProbeWritable(folder); });
}

// The elevated Palisor opens with this game folder and pack, and takes over the work folder.
void GameFolderController::RestartAsAdministrator() {
    std::vector<std::string> arguments = {"--game-folder", game_.Path()};
    if (!packPath_.empty())
        arguments.push_back(packPath_);
    session_.End();
    const RestartOutcome outcome = access_.RestartElevated(arguments);
    if (outcome == RestartOutcome::Started) {
        closing_ = PatcherView::Closing::Done;
        Publish();
        return;
    }
    if (outcome != RestartOutcome::Declined)
        prompts_.Message(RestartFailedMessage());
    if (!session_.Begin(baseFolder_, prompts_)) {
        closing_ = PatcherView::Closing::Failed;
        Publish();
        return;
    }
    ReadPackPreview(); // the work folder was emptied again
    Refresh();
}

bool GameFolderController::VirtualStoreCopiesSettled() {
    const VirtualStoreCopies copies = VirtualStore();
    if (copies.Existing().empty())
        return true;
    Prompts::Answer answer = Prompts::Answer::Cancel;
    if (virtualStoreChoice_ == VirtualStoreChoice::Move)
        answer = Prompts::Answer::Yes;
    else if (virtualStoreChoice_ == VirtualStoreChoice::Keep)
        answer = Prompts::Answer::No;
    else if (!prompts_.CanAsk())
        prompts_.Message(VirtualStoreRefusal(copies.Mirror()));
    else
        answer = prompts_.Ask(VirtualStoreQuestion(copies.Mirror()), Prompts::Buttons::YesNoCancel);
    switch (answer) {
    case Prompts::Answer::No:
        prompts_.Message(VirtualStoreKeptMessage(copies.Mirror()));
        return true;
    case Prompts::Answer::Yes: {
        const VirtualStoreCopies::MoveOutcome outcome = copies.MoveAside(FreshStamp(copies));
        if (!outcome.moved && !outcome.failedCopy.empty()) {
            prompts_.Message(VirtualStoreMoveFailedMessage(outcome));
            Refresh();
        }
        return outcome.moved;
    }
    default:
        return false;
    }
}

VirtualStoreCopies GameFolderController::VirtualStore() {
    return VirtualStoreCopies(game_, access_.ProgramFilesFolders(), access_.LocalAppDataFolder());
}

// What the state line, the flag and the buttons show follows from the folder and the pack as
// they are on disk now. The command line shows none of it.
void GameFolderController::Refresh() {
    if (front_ != Front::Window)
        return;
    flag_ = game_.Chosen() ? game_.Problem() : registryRefusal_;
    isGame_ = game_.Chosen() && flag_.empty();
    backedUp_ = false;
    stateLine_ = "No game folder chosen.";
    if (game_.Chosen()) {
        stateLine_ = "The chosen folder does not exist.";
        if (game_.Exists()) {
            GameFolderState state = GameFolderState::Read(game_); // read once: it hashes
            state.recovered = recovered_;
            stateLine_ = state.Line();
            if (!VirtualStore().Existing().empty())
                stateLine_ += std::string(" ") + kVirtualStoreNote;
            // A backup another program holds is still there: Restore says so when pressed.
            backedUp_ = state.backups == GameFolderState::Backups::Complete ||
                        state.backups == GameFolderState::Backups::Held;
        }
    }
    Publish();
}

void GameFolderController::Publish() {
    view_.gameFolder = game_.Path();
    view_.gameFolderChoices = choices_;
    view_.gameFolderFlag = flag_;
    view_.packPath = packPath_;
    view_.preview = preview_;
    view_.packNote = packNote_;
    view_.playingSong = playing_;
    view_.listening = ListeningLine();
    view_.stateLine = stateLine_;
    view_.backupEnabled = isGame_ && !backedUp_ && running_ != Action::Backup;
    view_.restoreEnabled = backedUp_ && running_ != Action::Restore;
    view_.applyEnabled = isGame_ && packReady_ && running_ != Action::Apply;
    view_.busy = busy_;
    view_.closing = closing_;
    if (listener_)
        listener_();
}

std::vector<std::string>
GameFolderController::StartingGameFolders(const std::optional<std::string>& named,
                                          const std::string& last, const std::string& registry,
                                          const std::vector<FoundGameFolder>& found) {
    std::vector<std::string> folders;
    if (named)
        folders.push_back(*named);
    else if (GameFolder(last).IsGame())
        folders.push_back(last);
    if (!registry.empty())
        folders.push_back(registry);
    for (const FoundGameFolder& game : found)
        folders.push_back(game.folder);
    return folders;
}

std::string GameFolderController::StartingPack(const std::string& named, const std::string& last) {
    if (!named.empty())
        return named;
    return FileExists(last) ? last : "";
}
