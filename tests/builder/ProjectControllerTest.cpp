// Korvane's decisions, without a window: what each command does, asks and shows.
#include "builder/ProjectController.h"
#include "builder/ImportSongs.h"
#include "builder/MemoryProjectSettings.h"
#include "builder/ProjectLock.h"
#include "builder/ProjectPaths.h"
#include "platform/FileOps.h"
#include "platform/KnownFolders.h"
#include "tests/support/AudioFileFixture.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Choice = Prompts::SaveChoice;

std::string MonoWav(const TempFolder& folder, const std::string& name, int seconds) {
    const std::string path = folder.file(name);
    WriteFileBytes(path, MakeWav(1, 8000, 16, std::string(16000u * seconds, '\0')));
    return path;
}

// A short stereo song the builder cannot take as it is, so the importer converts it.
std::string StereoSong(const TempFolder& folder, const std::string& name) {
    const std::string path = folder.file(name);
    WriteFileBytes(path, MakeWav(2, 22050, 16, Pcm16Bytes(ToneSamples(2, 22050, 11025, 440.0))));
    return path;
}

std::vector<std::string> StereoSongs(const TempFolder& folder, const std::string& stem, int count) {
    std::vector<std::string> paths;
    for (int number = 1; number <= count; ++number)
        paths.push_back(StereoSong(folder, stem + std::to_string(number) + ".wav"));
    return paths;
}

// A project file as the original writes it: every slot without a file, titles in Windows-1252.
std::string ProjectBytesWithTitles(const std::vector<std::string>& titles) {
    std::string bytes("\x02\0\0\0\x04\0\0\0", 8);
    for (std::size_t slot = 0; slot < 16; ++slot) {
        const std::string title = slot < titles.size() ? titles[slot] : "empty slot";
        bytes += std::string(4, '\0') + static_cast<char>(title.size()) + std::string(3, '\0');
        bytes += title + std::string(4, '\0');
    }
    return bytes;
}

const char* const kAlteredTip = "The game cannot show every character typed for this title.";
const char* const kQuestionMarkTip =
    "This title holds \"?\", which may stand for characters the game cannot show.";
const char* const kWhySave =
    "Korvane keeps imported songs in a folder beside the project: choose where to save it";

class ProjectControllerTest : public testing::Test {
protected:
    ProjectControllerTest() {
        controller.SetFolderOpener([this](const std::string& opened) {
            openedFolders.push_back(opened);
            return fileManagerAnswers;
        });
    }

    ProjectController::ProgressFactory Factory() {
        return [this]() -> std::unique_ptr<Progress> {
            ++progressMade;
            auto progress = std::make_unique<FakeProgress>();
            progress->cancelWhen = [this](const auto&) { return cancelImport; };
            return progress;
        };
    }

    const SlotRowView& Row(int row) {
        view = controller.View();
        return view.rows.at(static_cast<std::size_t>(row));
    }

    void FillSixteenValidSlots() {
        for (int position = 1; position <= 16; ++position)
            controller.project().SlotAt(position).SetPath(
                MonoWav(folder, "song" + std::to_string(position) + ".wav", 1));
    }

    TempFolder base;
    TempFolder folder;
    FakePrompts prompts;
    MemoryProjectSettings settings;
    int progressMade = 0;
    bool cancelImport = false;
    bool fileManagerAnswers = true;
    std::vector<std::string> openedFolders;
    ProjectController controller{prompts, Factory(), settings, base.path()};
    ProjectView view;
};

TEST_F(ProjectControllerTest, StartsWithANewProjectAndNothingSelected) {
    view = controller.View();
    EXPECT_EQ(view.caption, "Korvane - New Project");
    EXPECT_FALSE(view.modified);
    EXPECT_EQ(view.selectedRow, -1);
    EXPECT_FALSE(view.slotFieldsEnabled);
    EXPECT_FALSE(view.moveUpEnabled);
    EXPECT_FALSE(view.moveDownEnabled);
    EXPECT_EQ(view.titleText, "");
    EXPECT_EQ(view.pathText, "");
    EXPECT_EQ(view.qualityText, "4");
    EXPECT_EQ(view.inGameText, "");
    EXPECT_EQ(view.rows[0].number, "01");
    EXPECT_EQ(view.rows[15].number, "16");
    EXPECT_EQ(view.rows[15].letter, "P");
    EXPECT_EQ(view.rows[3].title, "empty slot");
    EXPECT_EQ(view.rows[3].length, "0");
    EXPECT_EQ(view.rows[3].status, "no file");
    EXPECT_TRUE(view.rows[3].warning);
}

TEST_F(ProjectControllerTest, SelectingRowThreeFillsFieldsWithoutProbing) {
    SongSlot& slot = controller.project().SlotAt(3);
    slot.SetTitle("Third");
    slot.SetStoredPath(folder.file("not-probed.wav"));
    controller.Select(2);
    view = controller.View();
    EXPECT_EQ(view.selectedRow, 2);
    EXPECT_EQ(view.titleText, "Third");
    EXPECT_EQ(view.pathText, slot.path());
    EXPECT_TRUE(view.slotFieldsEnabled && view.moveUpEnabled && view.moveDownEnabled);
    EXPECT_EQ(slot.status(), "no file");
    EXPECT_FALSE(view.modified);
}

TEST_F(ProjectControllerTest, TypingPathProbesEveryKeystroke) {
    const std::string path = MonoWav(folder, "s.wav", 3);
    controller.Select(0);
    controller.SetPath(path.substr(0, 5));
    EXPECT_EQ(Row(0).status, "invalid format");
    EXPECT_EQ(Row(0).length, "0");
    controller.SetPath(path);
    EXPECT_EQ(Row(0).status, "Ok");
    EXPECT_EQ(Row(0).length, "3.0");
    EXPECT_FALSE(Row(0).warning);
    EXPECT_EQ(controller.project().SlotAt(1).path(), SystemSeparators(path));
    controller.SetPath(path.substr(0, path.size() - 1));
    EXPECT_EQ(Row(0).status, "invalid format");
    EXPECT_TRUE(prompts.messages.empty());

    // A relative path is the project's, whatever the current folder: the field keeps the text.
    controller.project().SetPath(folder.file("p.velkp"));
    controller.SetPath("s.wav");
    EXPECT_EQ(Row(0).status, "Ok");
    EXPECT_EQ(controller.project().SlotAt(1).path(), SystemSeparators(path));
    EXPECT_EQ(controller.View().pathText, "s.wav");
}

TEST_F(ProjectControllerTest, TypingTitleRenamesSelectedSlot) {
    controller.Select(4);
    controller.SetTitle("New \"name\"");
    EXPECT_EQ(controller.project().SlotAt(5).title(), "New \"name\"");
    EXPECT_EQ(Row(4).title, "New \"name\"");
    EXPECT_TRUE(controller.View().modified);
}

TEST_F(ProjectControllerTest, Windows1252TitleFromFileShowsAndReachesTheGameUnchanged) {
    const std::string bytes =
        ProjectBytesWithTitles({"One", "Two", "Caf\xE9 Saigon", "Mot\xF6rhead \x80"});
    WriteFileBytes(folder.file("original.velkp"), bytes);
    ASSERT_TRUE(controller.OpenProjectFile(folder.file("original.velkp")));
    EXPECT_EQ(Row(2).title, "Caf\u00E9 Saigon");
    EXPECT_EQ(Row(3).title, "Mot\u00F6rhead \u20AC");
    controller.Select(2);
    EXPECT_EQ(controller.View().titleText, "Caf\u00E9 Saigon");
    EXPECT_EQ(controller.View().inGameText, "");
    EXPECT_EQ(Row(2).titleTip, "");

    ASSERT_TRUE(controller.project().WritePlaylistScript(folder.file("playlists.con")));
    const std::string script = ReadFileBytes(folder.file("playlists.con"));
    EXPECT_NE(script.find("\"Caf\xE9 Saigon\""), std::string::npos);
    EXPECT_NE(script.find("\"Mot\xF6rhead \x80\""), std::string::npos);
    EXPECT_TRUE(controller.SaveProject());
    EXPECT_EQ(ReadFileBytes(folder.file("original.velkp")), bytes);
}

TEST_F(ProjectControllerTest, TypedTitleIsSavedInWindows1252AndLossIsShown) {
    controller.Select(0);
    controller.SetTitle("Caf\u00E9");
    EXPECT_EQ(controller.project().SlotAt(1).title(), "Caf\xE9");
    EXPECT_EQ(controller.View().inGameText, "");
    prompts.answers.push_back(folder.file("typed.velkp"));
    ASSERT_TRUE(controller.SaveProject());
    const std::string saved = ReadFileBytes(folder.file("typed.velkp"));
    EXPECT_EQ(saved.substr(8, 16), std::string("\0\0\0\0\x04\0\0\0Caf\xE9\0\0\0\0", 16));

    controller.SetTitle("Caf\u00E9 \u03A9"); // Greek: not in the code page
    EXPECT_EQ(controller.project().SlotAt(1).title(), "Caf\xE9 ?");
    EXPECT_EQ(controller.View().inGameText, "In game: Caf\u00E9 ?");
    EXPECT_EQ(Row(0).titleTip, kAlteredTip);
    EXPECT_EQ(Row(1).titleTip, "");

    controller.Select(1);
    EXPECT_EQ(controller.View().inGameText, "");
    controller.Select(0); // back on the row: the typed text and its hint are kept
    EXPECT_EQ(controller.View().titleText, "Caf\u00E9 \u03A9");
    EXPECT_NE(controller.View().inGameText, "");
    EXPECT_EQ(Row(0).titleTip, kAlteredTip);

    // Reopened, the typed text is gone: the "?" it left still marks the row, while a "?"
    // typed on purpose does not.
    controller.Select(1);
    controller.SetTitle("empty slotWhy?");
    EXPECT_EQ(Row(1).titleTip, "");
    ASSERT_TRUE(controller.SaveProject());
    ASSERT_TRUE(controller.OpenProjectFile(folder.file("typed.velkp")));
    EXPECT_EQ(Row(0).titleTip, kQuestionMarkTip);
    EXPECT_EQ(Row(1).titleTip, kQuestionMarkTip);
    EXPECT_EQ(Row(2).titleTip, "");
    controller.Select(0);
    EXPECT_EQ(controller.View().titleText, "Caf\u00E9 ?");
    controller.SetTitle("Caf\u00E9 ");
    EXPECT_EQ(Row(0).titleTip, "");
}

TEST_F(ProjectControllerTest, ImportIntoANeverSavedProjectSaysWhyThenAsksWhereToSave) {
    const std::vector<std::string> songs = StereoSongs(folder, "first", 1);
    prompts.fileListAnswers = {songs, songs, StereoSongs(folder, "second", 1)};
    prompts.answers = {std::nullopt};
    controller.AddSongs(); // the place is refused: nothing is imported
    EXPECT_EQ(prompts.information, std::vector<std::string>{kWhySave});
    ASSERT_EQ(prompts.dialogs.size(), 2u);
    EXPECT_EQ(prompts.dialogs[0].kind, "open many");
    EXPECT_EQ(prompts.dialogs[0].options.title, "Add Songs");
    EXPECT_EQ(prompts.dialogs[1].kind, "save");
    EXPECT_EQ(prompts.dialogs[1].options.title, "Save the Korvane Project As");
    EXPECT_EQ(progressMade, 0);
    EXPECT_EQ(Row(0).title, "empty slot");

    prompts.answers = {folder.file("fresh.velkp")};
    controller.AddSongs();
    EXPECT_EQ(Row(0).title, "first1");
    EXPECT_EQ(controller.project().SlotAt(1).path(),
              SystemSeparators(folder.file("fresh songs/first1.wav")));
    EXPECT_TRUE(FileExists(folder.file("fresh.velkp")));
    EXPECT_TRUE(controller.View().modified); // the songs came in after the save

    controller.AddSongs(); // the project has a place now: no explanation, no question
    EXPECT_EQ(std::count(prompts.information.begin(), prompts.information.end(), kWhySave), 2);
    EXPECT_EQ(prompts.information.size(), 4u); // the line twice, then one report per import
    EXPECT_EQ(prompts.dialogs.size(), 5u);
    EXPECT_EQ(Row(1).title, "second1");
}

TEST_F(ProjectControllerTest, SaveIsRefusedWhileAnotherKorvaneChangesTheProject) {
    prompts.answers = {folder.file("shared.velkp")};
    ASSERT_TRUE(controller.SaveProjectAs());
    const std::string saved = ReadFileBytes(folder.file("shared.velkp"));
    controller.Select(0);
    controller.SetTitle("Changed");
    FakePrompts other;
    ProjectLock adding(JoinPath(base.path(), "locks")); // as `korvane --add` holds it
    ASSERT_TRUE(adding.Take(folder.file("shared.velkp"), other));
    EXPECT_FALSE(controller.SaveProject());
    EXPECT_EQ(prompts.messages.back(),
              "Another Korvane is changing the project " +
                  SystemSeparators(folder.file("shared.velkp")) +
                  ". Nothing was changed. Wait until it has finished, then try again.");
    EXPECT_EQ(ReadFileBytes(folder.file("shared.velkp")), saved);
    EXPECT_TRUE(controller.View().modified);
    // The lock lies in Korvane's own folder: nothing beside the project but the project.
    EXPECT_EQ(ListFolder(folder.path()).size(), 1u);
}

TEST_F(ProjectControllerTest, BrowseTakesMonoWavAsItIsAndImportsTheRest) {
    controller.project().SetPath(folder.file("p.velkp")); // songs go into "p songs"
    const std::string wav = MonoWav(folder, "b.wav", 2);
    controller.Browse(); // nothing selected: nothing asked
    EXPECT_TRUE(prompts.dialogs.empty());
    controller.Select(1);
    prompts.answers.push_back(wav);
    controller.Browse();
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].options.filter,
              "Audio Files (*.wav;*.flac;*.mp3;*.ogg;*.oga;*.opus;*.aif;*.aiff;"
              "*.aifc;*.m4a;*.mp4;*.aac;*.wma)|*.wav;*.flac;*.mp3;*.ogg;*.oga;"
              "*.opus;*.aif;*.aiff;*.aifc;*.m4a;*.mp4;*.aac;*.wma"
              "|Wav Files (*.wav)|*.wav||");
    EXPECT_EQ(prompts.dialogs[0].options.title, "Choose the Song for Slot B");
    EXPECT_EQ(controller.View().pathText, wav);
    EXPECT_EQ(Row(1).status, "Ok");
    EXPECT_EQ(Row(1).title, "b"); // was "empty slot": the file's name
    EXPECT_EQ(controller.View().titleText, "b");
    EXPECT_EQ(progressMade, 0);

    const std::string flac = folder.file("tagged.flac");
    ASSERT_TRUE(WriteAudioFile(
        flac, AudioFileSpec(AudioFormat::Flac16(), 44100, 2, 0.5).Tags("The Band", "Caf\u00E9")));
    controller.Select(2);
    prompts.answers = {flac};
    controller.Browse();
    EXPECT_EQ(progressMade, 1);
    EXPECT_EQ(Row(2).title, "The Band - Caf\u00E9");
    EXPECT_EQ(Row(2).status, "Ok");
    EXPECT_NE(controller.project().SlotAt(3).path(), flac); // a converted copy
    EXPECT_EQ(controller.View().pathText, controller.project().SlotAt(3).path());

    controller.SetTitle("My own");
    prompts.answers = {StereoSong(folder, "other.wav")};
    controller.Browse();
    EXPECT_EQ(Row(2).title, "My own");
    EXPECT_NE(controller.project().SlotAt(3).path().find("other"), std::string::npos);
}

TEST_F(ProjectControllerTest, AddSongsFillsTheEmptySlotsAndNamesTheRest) {
    controller.project().SetPath(folder.file("p.velkp")); // songs go into "p songs"
    for (int position = 1; position <= 13; ++position)
        controller.project().SlotAt(position).SetTitle("Taken");
    const std::vector<std::string> songs = StereoSongs(folder, "many", 5);
    prompts.fileListAnswers = {songs};
    controller.AddSongs();
    EXPECT_EQ(prompts.dialogs.back().kind, "open many");
    for (int row = 13; row < 16; ++row) {
        EXPECT_EQ(Row(row).title, "many" + std::to_string(row - 12)); // the file names, in order
        EXPECT_EQ(Row(row).status, "Ok");
    }
    EXPECT_EQ(Row(12).title, "Taken");
    EXPECT_TRUE(prompts.information.empty()); // some were refused: a warning
    const std::string& text = prompts.messages.back();
    EXPECT_NE(text.find("No empty slot left for " + songs[3] + "."), std::string::npos);
    EXPECT_NE(text.find("No empty slot left for " + songs[4] + "."), std::string::npos);
    EXPECT_TRUE(controller.View().modified);
}

TEST_F(ProjectControllerTest, DropOnRowCFillsItAndTheFollowingSlots) {
    controller.project().SetPath(folder.file("p.velkp")); // songs go into "p songs"
    controller.project().SlotAt(3).SetTitle("Old song");
    controller.project().SlotAt(3).SetPath(MonoWav(folder, "old.wav", 1));
    const std::vector<std::string> songs = StereoSongs(folder, "drop", 3);
    EXPECT_EQ(controller.DropRows(2, 3), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(controller.DropRows(14, 3), (std::vector<int>{14, 15}));
    EXPECT_EQ(controller.DropRows(-1, 3), (std::vector<int>{0, 1, 3})); // the empty ones

    controller.Drop(songs, 2);
    for (int row = 2; row < 5; ++row) {
        EXPECT_EQ(Row(row).title, "drop" + std::to_string(row - 1));
        EXPECT_EQ(Row(row).status, "Ok");
    }
    EXPECT_EQ(Row(5).title, "empty slot");
    ASSERT_EQ(prompts.information.size(), 1u); // all went in: success
    EXPECT_EQ(prompts.information[0].rfind("C: drop1 (0:01, gain ", 0), 0u);
    EXPECT_NE(prompts.information[0].find("\nReplaced: C (Old song)."), std::string::npos);

    controller.Drop({songs[0]}, -1); // below the rows: the first empty slot
    EXPECT_EQ(Row(0).title, "drop1");
}

TEST_F(ProjectControllerTest, DroppedProjectOpensAfterAskingAboutChanges) {
    prompts.answers = {folder.file("dropped.velkp")};
    controller.project().SlotAt(4).SetTitle("Kept in the file");
    ASSERT_TRUE(controller.SaveProjectAs());
    controller.NewProject();
    controller.Select(0);
    controller.SetTitle("empty slotx");

    prompts.saveAnswers = {Choice::Cancel, Choice::Discard};
    const std::vector<std::string> files = {folder.file("song.flac"), folder.file("dropped.velkp")};
    controller.Drop(files, 2); // a project among songs: the project, after the question
    EXPECT_EQ(controller.project().SlotAt(1).title(), "empty slotx");
    controller.Drop({folder.file("dropped.velkp")}, -1);
    EXPECT_EQ(prompts.saveQuestions.size(), 2u);
    EXPECT_EQ(controller.project().SlotAt(4).title(), "Kept in the file");
    EXPECT_EQ(controller.View().caption, "Korvane - dropped");
    EXPECT_EQ(progressMade, 0);
}

TEST_F(ProjectControllerTest, MatchLoudnessIsRememberedAndCancelKeepsTheProject) {
    controller.project().SetPath(folder.file("p.velkp")); // songs go into "p songs"
    EXPECT_TRUE(controller.View().matchLoudness);
    controller.SetMatchLoudness(false);
    EXPECT_FALSE(settings.MatchLoudness());
    EXPECT_FALSE(controller.View().matchLoudness);

    prompts.fileListAnswers = {std::vector<std::string>{StereoSong(folder, "plain.wav")}};
    controller.AddSongs();
    EXPECT_NE(prompts.information.back().find("gain +0.0 dB"), std::string::npos);

    cancelImport = true;
    prompts.fileListAnswers = {std::vector<std::string>{StereoSong(folder, "never.wav")}};
    controller.AddSongs();
    EXPECT_EQ(prompts.messages.back(), "Import cancelled. No song was added.");
    EXPECT_EQ(Row(1).title, "empty slot");
}

TEST_F(ProjectControllerTest, MoveKeepsTheMovedSlotSelectedAndAsksForTheListsFocus) {
    controller.project().SlotAt(1).SetTitle("First");
    controller.Select(0);
    controller.MoveDown();
    EXPECT_EQ(controller.View().selectedRow, 1);
    EXPECT_EQ(Row(1).title, "First");
    EXPECT_EQ(controller.View().titleText, "First");
    EXPECT_TRUE(controller.View().moveUpEnabled);
    EXPECT_EQ(controller.TakeFocusRequest(), FocusRequest::List);
    EXPECT_EQ(controller.TakeFocusRequest(), FocusRequest::None); // asked once
    controller.MoveUp();
    EXPECT_EQ(controller.View().selectedRow, 0);
    EXPECT_FALSE(controller.View().moveUpEnabled);

    SongSlot* last = &controller.project().SlotAt(16);
    controller.Select(15);
    EXPECT_FALSE(controller.View().moveDownEnabled);
    controller.MoveDown();
    EXPECT_EQ(&controller.project().SlotAt(16), last);
    EXPECT_EQ(controller.View().selectedRow, 15);
}

TEST_F(ProjectControllerTest, OpenCancelledStillRefreshes) {
    controller.project().SetQuality(9);
    controller.project().SlotAt(2).SetTitle("Changed behind the list");
    controller.OpenProject();
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].options.filter, "VELK Project Files (*.velkp)|*.velkp||");
    EXPECT_EQ(prompts.dialogs[0].options.initialFileName, "*.velkp");
    EXPECT_EQ(prompts.dialogs[0].options.title, "Open a Korvane Project");
    EXPECT_EQ(controller.View().qualityText, "9");
    EXPECT_EQ(Row(1).title, "Changed behind the list");
    EXPECT_EQ(controller.View().caption, "Korvane - New Project");
}

TEST_F(ProjectControllerTest, OpenShowsFileNameAndErrors) {
    prompts.answers.push_back(folder.file("absent.velkp"));
    controller.OpenProject();
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Error reading project file."});
    EXPECT_EQ(controller.View().caption, "Korvane - absent");

    WriteFileBytes(folder.file("cut.velkp"), std::string("\x02\0\0\0\x07\0", 6));
    EXPECT_FALSE(controller.OpenProjectFile(folder.file("cut.velkp")));
    ASSERT_EQ(prompts.messages.size(), 2u); // the generic error box
    EXPECT_NE(prompts.messages[1].find("cut.velkp"), std::string::npos);
    EXPECT_EQ(controller.View().caption, "Korvane - absent");
}

TEST_F(ProjectControllerTest, SaveAsAndSave) {
    prompts.answers.push_back(folder.file("mine.velkp"));
    EXPECT_TRUE(controller.SaveProject()); // no path yet: behaves as Save As
    EXPECT_EQ(prompts.dialogs.at(0).kind, "save");
    EXPECT_EQ(prompts.dialogs.at(0).options.initialFileName, "newproject.velkp");
    EXPECT_EQ(controller.View().caption, "Korvane - mine");
    EXPECT_EQ(ReadFileBytes(folder.file("mine.velkp")).size(), 360u);
    EXPECT_EQ(controller.project().path(), SystemSeparators(folder.file("mine.velkp")));

    prompts.answers.push_back(folder.file("missing/other.velkp"));
    EXPECT_FALSE(controller.SaveProjectAs());
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Error saving project..."});
    ASSERT_EQ(prompts.details.size(), 1u); // the cause names the folder that is not there
    EXPECT_NE(prompts.details[0].find("missing"), std::string::npos) << prompts.details[0];
    EXPECT_EQ(controller.project().path(), ""); // the next Save asks for a name again
    EXPECT_EQ(controller.View().caption, "Korvane - other");
}

TEST_F(ProjectControllerTest, QualityFieldReadBack) {
    controller.SetQualityText("7");
    EXPECT_EQ(controller.project().quality(), 7);
    EXPECT_TRUE(prompts.messages.empty());
    controller.SetQualityText("71");
    EXPECT_EQ(prompts.messages,
              std::vector<std::string>{"Please enter an Ogg quality between 1 and 10."});
    EXPECT_EQ(controller.project().quality(), 7);
    EXPECT_EQ(controller.View().qualityText, "71"); // kept for the user to mend
    EXPECT_EQ(controller.TakeFocusRequest(), FocusRequest::Quality);
    controller.SetQualityText("");
    EXPECT_EQ(prompts.messages.back(), "Please enter an integer for the Ogg quality.");
    EXPECT_EQ(controller.project().quality(), 7);

    // While the quality is bad, a title edit still lands and complains again.
    controller.Select(0);
    controller.SetTitle("empty slotx");
    EXPECT_EQ(prompts.messages.size(), 3u);
    EXPECT_EQ(controller.project().SlotAt(1).title(), "empty slotx");
    EXPECT_FALSE(controller.ConfirmFields()); // Enter checks too
    EXPECT_EQ(prompts.messages.size(), 4u);

    controller.SetQualityText(" 5 ");
    EXPECT_TRUE(controller.ConfirmFields());
    EXPECT_EQ(controller.project().quality(), 5);
}

TEST_F(ProjectControllerTest, EveryFlowOfTheUnsavedChangesQuestion) {
    struct Case {
        const char* command;
        Choice choice;
        bool proceeds;
    };
    const Case cases[] = {{"close", Choice::Save, true},    {"close", Choice::Discard, true},
                          {"close", Choice::Cancel, false}, {"new", Choice::Save, true},
                          {"new", Choice::Discard, true},   {"new", Choice::Cancel, false},
                          {"open", Choice::Save, true},     {"open", Choice::Discard, true},
                          {"open", Choice::Cancel, false},  {"recent", Choice::Discard, true},
                          {"drop", Choice::Discard, true},  {"drop", Choice::Cancel, false}};
    const std::string other = folder.file("other.velkp");
    {
        ProjectController saving(prompts, Factory(), settings, base.path());
        saving.project().SetPath(other);
        ASSERT_TRUE(saving.SaveProject());
    }
    for (const Case& test : cases) {
        const std::string name = std::string(test.command) + std::to_string(int(test.choice));
        SCOPED_TRACE(name);
        FakePrompts asked;
        ProjectController edited(asked, Factory(), settings, base.path());
        edited.Select(0);
        edited.SetTitle("!");
        asked.saveAnswers = {test.choice};
        const std::string saved = folder.file(name + ".velkp");
        if (test.choice == Choice::Save)
            asked.answers.push_back(saved); // Save on a project never saved asks for a name
        asked.answers.push_back(other);
        const std::string command = test.command;
        bool proceeded = false;
        if (command == "close") {
            proceeded = edited.MayDiscardChanges();
        } else if (command == "new") {
            edited.NewProject();
            proceeded = edited.project().SlotAt(1).title() == "empty slot";
        } else {
            if (command == "open")
                edited.OpenProject();
            else if (command == "recent")
                edited.OpenRecentProject(other);
            else
                edited.Drop({other}, 3);
            proceeded = edited.View().caption == "Korvane - other";
        }
        EXPECT_EQ(asked.saveQuestions, std::vector<std::string>{"Save changes to the project?"});
        EXPECT_EQ(proceeded, test.proceeds);
        EXPECT_EQ(FileExists(saved), test.choice == Choice::Save);
        const bool nothingDone = command == "close" && test.choice == Choice::Discard;
        EXPECT_EQ(edited.View().modified, test.choice == Choice::Cancel || nothingDone);
    }
    FakePrompts asked; // nothing unsaved: nothing asked
    ProjectController fresh(asked, Factory(), settings, base.path());
    fresh.NewProject();
    EXPECT_TRUE(fresh.MayDiscardChanges());
    EXPECT_TRUE(asked.saveQuestions.empty());
}

TEST_F(ProjectControllerTest, ModifiedMarkerFollowsEditsAndSaves) {
    controller.Select(2);
    EXPECT_FALSE(controller.View().modified); // selecting changes nothing
    controller.SetTitle("x");
    EXPECT_TRUE(controller.View().modified);
    prompts.answers.push_back(folder.file("marked.velkp"));
    ASSERT_TRUE(controller.SaveProject());
    EXPECT_FALSE(controller.View().modified);
    controller.MoveDown();
    EXPECT_TRUE(controller.View().modified);
    ASSERT_TRUE(controller.SaveProject());
    controller.SetQualityText("9");
    EXPECT_TRUE(controller.View().modified);
    ASSERT_TRUE(controller.OpenProjectFile(folder.file("marked.velkp")));
    EXPECT_FALSE(controller.View().modified);
    EXPECT_EQ(controller.View().caption, "Korvane - marked");
}

TEST_F(ProjectControllerTest, BuildRefusals) {
    controller.Build(); // a slot not valid
    EXPECT_EQ(prompts.messages,
              std::vector<std::string>{"One or more items are not valid. Unable to build."});
    EXPECT_TRUE(prompts.dialogs.empty());

    controller.SetQualityText("x"); // a quality that is no number stops it before anything
    prompts.messages.clear();
    FillSixteenValidSlots();
    controller.Build();
    EXPECT_EQ(prompts.messages,
              std::vector<std::string>{"Please enter an integer for the Ogg quality."});
    EXPECT_TRUE(prompts.dialogs.empty());
    EXPECT_EQ(progressMade, 0);
    EXPECT_FALSE(FolderExists(base.file("velk_work")));
}

TEST_F(ProjectControllerTest, TrimFieldsApplyOrAreRefusedWithNothingChanged) {
    using Field = ProjectController::TrimField;
    controller.project().SlotAt(1).SetPath(MonoWav(folder, "twenty.wav", 20));
    EXPECT_FALSE(controller.View().trimFieldsEnabled);
    controller.Select(0);
    view = controller.View();
    EXPECT_TRUE(view.trimFieldsEnabled);
    EXPECT_EQ(view.startText + view.endText + view.fadeInText + view.fadeOutText, "");

    struct Step {
        Field field;
        std::string typed;
        std::string refusal; // empty: applied
        std::string length;  // of the row afterwards
    };
    const Step steps[] = {
        {Field::Start, "2", "", "18.0"},
        {Field::End, "1:00", "The End (60.0 s) lies beyond the end of the song (20.0 s).", "18.0"},
        {Field::FadeIn, "1,25", "The Fade in must be a time in seconds, such as 75.5.", "18.0"},
        {Field::End, "12.5", "", "10.5"},
        {Field::Start, "13", "The End must come after the Start.", "10.5"},
        {Field::Start, "12", "A trimmed song must last at least 1 second.", "10.5"},
        {Field::FadeOut, "11",
         "The fades (11.0 s together) are longer than the trimmed song (10.5 s).", "10.5"},
        {Field::FadeIn, "4", "", "10.5"},
        {Field::End, " End ", "", "18.0"},
    };
    const FocusRequest focusOn[] = {FocusRequest::Start, FocusRequest::End, FocusRequest::FadeIn,
                                    FocusRequest::FadeOut};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.typed);
        prompts.messages.clear();
        const SongTrim before = controller.project().SlotAt(1).trim();
        controller.SetTrimText(step.field, step.typed);
        EXPECT_EQ(prompts.messages, step.refusal.empty() ? std::vector<std::string>{}
                                                         : std::vector<std::string>{step.refusal});
        EXPECT_EQ(controller.TakeFocusRequest(), step.refusal.empty()
                                                     ? FocusRequest::None
                                                     : focusOn[static_cast<int>(step.field)]);
        if (!step.refusal.empty()) {
            EXPECT_EQ(controller.project().SlotAt(1).trim(), before);
        }
        EXPECT_EQ(Row(0).length, step.length);
    }
    view = controller.View();
    EXPECT_EQ(view.startText, "2.0"); // as the slot holds them
    EXPECT_EQ(view.endText, "");
    EXPECT_EQ(view.fadeInText, "4.0");
    EXPECT_EQ(view.fadeOutText, "");
    EXPECT_TRUE(view.modified);
    controller.ClearTrim();
    EXPECT_TRUE(controller.project().SlotAt(1).trim().IsNone());
    EXPECT_EQ(controller.View().startText, "");
    EXPECT_EQ(Row(0).length, "20.0");
}

TEST_F(ProjectControllerTest, TrimBeyondItsSongIsShownAndRefusedAtTheBuild) {
    FillSixteenValidSlots();                              // songs of a second
    controller.project().SlotAt(3).SetTrim({0, 5, 0, 0}); // as a project file may hold it
    EXPECT_EQ(Row(2).status, "invalid trim");
    EXPECT_TRUE(Row(2).warning);
    EXPECT_EQ(Row(2).length, "1.0");
    controller.Build();
    EXPECT_EQ(prompts.messages,
              std::vector<std::string>{"Slot C: The End (5.0 s) lies beyond the end of the song "
                                       "(1.0 s). Unable to build."});
    EXPECT_TRUE(prompts.dialogs.empty());
    EXPECT_EQ(controller.BuildTo(folder.file("p.velk"), 1),
              ProjectController::BuildResult::Refused);
}

TEST_F(ProjectControllerTest, RefusedBuildMarksTheRowsThatAreNotOk) {
    const std::string path = MonoWav(folder, "ok.wav", 1);
    controller.project().SlotAt(2).SetPath(path);
    controller.Build();
    EXPECT_EQ(prompts.messages.back(), "One or more items are not valid. Unable to build.");
    EXPECT_FALSE(Row(1).warning);
    for (int row : {0, 2, 15})
        EXPECT_TRUE(Row(row).warning) << row;
}

TEST_F(ProjectControllerTest, BuildDeliversAndOffersTheFolder) {
    FillSixteenValidSlots();
    const std::string pack = folder.file("packs/mine.velk");
    ASSERT_TRUE(CreateFolder(folder.file("packs")));
    prompts.answers = {pack};
    prompts.offerAnswers = {true};
    controller.Build();
    EXPECT_EQ(prompts.dialogs.at(0).options.filter, "VELK Files (*.velk)|*.velk||");
    EXPECT_EQ(prompts.dialogs.at(0).options.initialFileName, "myvelk.velk");
    EXPECT_EQ(prompts.dialogs.at(0).options.title, "Save the Music Pack As");
    EXPECT_EQ(prompts.information,
              std::vector<std::string>{"Done!\n\nThe music pack is at:\n" + pack});
    EXPECT_EQ(prompts.offers, std::vector<std::string>{"Open Folder"});
    EXPECT_EQ(openedFolders, std::vector<std::string>{SystemSeparators(folder.file("packs"))});
    EXPECT_TRUE(FileExists(pack));
    EXPECT_EQ(prompts.messages.size(), 1u); // the file manager answered

    fileManagerAnswers = false; // none answers: the path is given to copy
    prompts.answers = {pack};
    prompts.offerAnswers = {true};
    controller.Build();
    EXPECT_EQ(prompts.messages.back(),
              "Korvane could not open a file manager. The music pack is in the folder:\n" +
                  SystemSeparators(folder.file("packs")));

    prompts.answers = {std::nullopt}; // the next build's dialog opens where the last went
    controller.Build();
    EXPECT_EQ(prompts.dialogs.at(2).options.initialFolder, SystemSeparators(folder.file("packs")));
}

TEST_F(ProjectControllerTest, DialogsStartInTheUsersFoldersThenWhereTheLastWent) {
    ASSERT_TRUE(CreateFolder(folder.file("projects")));
    ASSERT_TRUE(CreateFolder(folder.file("songs")));
    prompts.answers = {folder.file("projects/first.velkp")};
    ASSERT_TRUE(controller.SaveProjectAs());
    controller.Select(0);
    prompts.answers = {MonoWav(folder, "songs/one.wav", 1)};
    controller.Browse();
    prompts.answers = {std::nullopt, std::nullopt, std::nullopt};
    prompts.saveAnswers = {Choice::Discard};
    controller.SaveProjectAs();
    controller.Browse();
    controller.OpenProject();
    ASSERT_EQ(prompts.dialogs.size(), 5u);
    EXPECT_EQ(prompts.dialogs[0].options.initialFolder, DocumentsFolder());
    EXPECT_EQ(prompts.dialogs[1].options.initialFolder, MusicFolder());
    EXPECT_EQ(prompts.dialogs[2].options.initialFileName,
              SystemSeparators(folder.file("projects/first.velkp")));
    EXPECT_EQ(prompts.dialogs[2].options.initialFolder, SystemSeparators(folder.file("projects")));
    EXPECT_EQ(prompts.dialogs[3].options.initialFolder, SystemSeparators(folder.file("songs")));
    EXPECT_EQ(prompts.dialogs[4].options.initialFolder, SystemSeparators(folder.file("projects")));
    for (const FakePrompts::DialogCall& dialog : prompts.dialogs)
        EXPECT_FALSE(dialog.options.title.empty());
}

TEST_F(ProjectControllerTest, RecentProjectsKeepTheLastFiveThatExist) {
    const auto recent = [this](int number) {
        return SystemSeparators(folder.file("recent" + std::to_string(number) + ".velkp"));
    };
    for (int number = 1; number <= 6; ++number) {
        prompts.answers = {folder.file("recent" + std::to_string(number) + ".velkp")};
        ASSERT_TRUE(controller.SaveProjectAs());
    }
    EXPECT_EQ(controller.View().recentProjects,
              (std::vector<std::string>{recent(6), recent(5), recent(4), recent(3), recent(2)}));

    ASSERT_TRUE(RemoveFile(recent(5)));
    controller.OpenRecentProject(recent(3));
    EXPECT_EQ(controller.View().caption, "Korvane - recent3");
    EXPECT_EQ(controller.View().recentProjects,
              (std::vector<std::string>{recent(3), recent(6), recent(4), recent(2)}));
    ASSERT_TRUE(RemoveFile(recent(2)));
    controller.RefreshRecentProjects(); // before the menu shows
    EXPECT_EQ(controller.View().recentProjects,
              (std::vector<std::string>{recent(3), recent(6), recent(4)}));
    EXPECT_EQ(settings.RecentProjects(), controller.View().recentProjects);
}

TEST_F(ProjectControllerTest, CopyListGivesTheTextOrSaysTheClipboardRefusedIt) {
    std::string copied;
    controller.project().SlotAt(1).SetTitle("Caf\xE9");
    controller.CopyList([&copied](const std::string& text) {
        copied = text;
        return true;
    });
    EXPECT_TRUE(prompts.messages.empty());
    std::string expected = "Letter " + std::string("Title") + std::string(45, ' ') + " Time" +
                           std::string(6, ' ') + "\r" + std::string(76, '-') + "\r";
    expected += "A      Caf\u00E9" + std::string(46, ' ') + " 0.0" + std::string(7, ' ') + "\r";
    EXPECT_EQ(copied.substr(0, expected.size()), expected);
    EXPECT_EQ(std::count(copied.begin(), copied.end(), '\r'), 18);

    controller.CopyList([](const std::string&) { return false; });
    EXPECT_EQ(prompts.messages,
              std::vector<std::string>{"Unable to put on clipboard for some reason."});
}

} // namespace
