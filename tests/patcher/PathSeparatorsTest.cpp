// Every Palisor message that names a path writes it as the system's user reads paths: "\" only
// on Windows, "/" only on Linux, whichever separator the game folder, the pack and the program's
// folder were given with (on Windows they are given with "/" here, as Qt and a Linux habit
// write them).
#include "patcher/GameFolderController.h"

#include "common/PackLayout.h"
#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/VirtualStoreCopies.h"
#include "patcher/install/Backup.h"
#include "patcher/install/WorkFolderPaths.h"
#include "platform/FaultInjection.h"
#include "platform/FileOps.h"
#include "platform/FolderLock.h"
#include "platform/PathNoCase.h"
#include "platform/PathRewrite.h"
#include "tests/patcher/FakeGameFolderAccess.h"
#include "tests/patcher/GameScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

using Front = GameFolderController::Front;

// The separator this system's user never reads in a path.
char ForeignSeparator() {
    return JoinPath("a", "b")[1] == '/' ? '\\' : '/';
}

// A path given with the other separator where the system takes both (Windows); on Linux, where
// "\" is part of a name, as it is.
std::string GivenTheOtherWay(std::string path) {
    if (ForeignSeparator() == '/')
        std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// The scene, a controller on it and everything the user was shown.
struct SeparatorScene : GameScene {
    FakeGameFolderAccess access;
    std::unique_ptr<GameFolderController> controller;
    std::vector<std::string> shownInView;

    GameFolderController& Controller(Front front = Front::CommandLine) {
        controller =
            std::make_unique<GameFolderController>(GivenTheOtherWay(base), prompts, access, front);
        controller->ChooseGameFolder(GivenTheOtherWay(game));
        controller->ChoosePack(GivenTheOtherWay(pack));
        controller->Start();
        return *controller;
    }
    void Backup() { Controller().Backup(); }
    void Restore() { Controller().Restore(); }
    void Apply() { Controller().Apply(progress); }
    void BackedUp() {
        ASSERT_TRUE(GameScene::Backup());
        prompts = FakePrompts();
    }
    std::string Mirror() const {
        return VirtualStoreCopies(game, access.programFiles, access.localAppData).Mirror();
    }
    void CopyInVirtualStore() {
        access.programFiles = {temp.path()};
        access.localAppData = temp.file("Local");
        const std::string copy = JoinPath(Mirror(), GameFolder::kMusicRfaInFolder);
        std::filesystem::create_directories(std::filesystem::path(copy).parent_path());
        WriteFileBytes(copy, "what an older tool wrote");
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> shown = prompts.messages;
        shown.insert(shown.end(), prompts.questions.begin(), prompts.questions.end());
        shown.insert(shown.end(), shownInView.begin(), shownInView.end());
        return shown;
    }
};

struct MessageCase {
    std::string label;
    std::function<void(SeparatorScene&)> provoke;
    std::function<std::string(SeparatorScene&)> named; // the path the message names
};

void PrintTo(const MessageCase& messageCase, std::ostream* out) {
    *out << messageCase.label;
}

class PathSeparatorsTest : public ::testing::TestWithParam<MessageCase> {
protected:
    void TearDown() override { FaultInjection::Disarm(); }
};

TEST_P(PathSeparatorsTest, MessagesNamePathsWithTheSystemsSeparatorOnly) {
    SeparatorScene scene;
    ASSERT_TRUE(FolderExists(scene.base));
    GetParam().provoke(scene);
    const std::string named = GetParam().named(scene);
    ASSERT_EQ(named.find(ForeignSeparator()), std::string::npos) << named;
    bool naming = false;
    for (const std::string& text : scene.Shown()) {
        EXPECT_EQ(text.find(ForeignSeparator()), std::string::npos) << text;
        naming = naming || text.find(named) != std::string::npos;
    }
    EXPECT_TRUE(naming) << named << " in " << testing::PrintToString(scene.Shown());
}

const MessageCase kMessages[] = {
    {"BackedUp", [](SeparatorScene& s) { s.Backup(); },
     [](SeparatorScene& s) { return s.Game().Backups(); }},
    {"CreateFolder",
     [](SeparatorScene& s) {
         WriteFileBytes(s.Game().CustomMusic(), "a file");
         s.Backup();
     },
     [](SeparatorScene& s) { return s.Game().CustomMusic(); }},
    {"Copy",
     [](SeparatorScene& s) {
         RemoveFile(s.Game().MusicRfa());
         s.Backup();
     },
     [](SeparatorScene& s) { return s.Game().MusicRfa(); }},
    {"AlreadyPatched",
     [](SeparatorScene& s) {
         WriteFileBytes(s.Game().DefaultCon(), std::string(PackLayout::kRunLine) + "\r\n");
         s.Backup();
     },
     [](SeparatorScene& s) { return s.Game().DefaultCon(); }},
    {"SpecialFileInBackups",
     [](SeparatorScene& s) {
         CreateBackupFolders(s.game, s.prompts);
         CreateFolder(s.Game().ManifestFile());
         s.Backup();
     },
     [](SeparatorScene& s) { return s.Game().ManifestFile(); }},
    {"BackupDamaged",
     [](SeparatorScene& s) {
         s.BackedUp();
         WriteFileBytes(s.Game().BackedUpMusicRfa(), "changed");
         s.Restore();
     },
     [](SeparatorScene& s) { return s.Game().Backups(); }},
    {"BackupHeld",
     [](SeparatorScene& s) {
         s.BackedUp();
         FaultInjection::Arm(FileStep::Open, 1,
                             FaultInjection::Effect::BusyFor(std::chrono::hours(1)));
         s.Restore();
     },
     [](SeparatorScene& s) { return s.Game().ManifestFile(); }},
    {"RestoreDefaultCon",
     [](SeparatorScene& s) {
         s.BackedUp();
         RemoveFile(s.Game().DefaultCon());
         CreateFolder(s.Game().DefaultCon());
         s.Restore();
     },
     [](SeparatorScene& s) { return s.Game().DefaultCon(); }},
    {"RestoreMusicRfa",
     [](SeparatorScene& s) {
         s.BackedUp();
         RemoveFile(s.Game().MusicRfa());
         CreateFolder(s.Game().MusicRfa());
         s.Restore();
     },
     [](SeparatorScene& s) { return s.Game().MusicRfa(); }},
    {"JournalDamaged",
     [](SeparatorScene& s) {
         s.BackedUp();
         WriteFileBytes(s.Game().JournalFile(), "not a journal\n");
         s.Restore();
     },
     [](SeparatorScene& s) { return s.Game().JournalFile(); }},
    {"AnotherPalisorOnTheGame",
     [](SeparatorScene& s) {
         FolderLock other;
         ASSERT_EQ(other.LockFolder(s.game), FolderLock::Result::Taken);
         s.Backup();
     },
     [](SeparatorScene& s) { return s.game; }},
    {"AnotherPalisorOnTheWorkFolder",
     [](SeparatorScene& s) {
         GameFolderController first(s.base, s.prompts, s.access, Front::CommandLine);
         ASSERT_TRUE(first.Start());
         s.Backup();
     },
     [](SeparatorScene& s) { return WorkFolderIn(s.base); }},
    {"WorkFolderCannotBeMade",
     [](SeparatorScene& s) {
         s.base = WithSystemSeparators(s.temp.file("missing"));
         s.Backup();
     },
     [](SeparatorScene& s) { return WorkFolderIn(s.base); }},
    {"InstallTargetNotAFile",
     [](SeparatorScene& s) {
         s.BackedUp();
         CreateFolder(s.Game().InstalledUsSsc());
         s.Apply();
     },
     [](SeparatorScene& s) { return s.Game().InstalledUsSsc(); }},
    {"GameFileHeld",
     [](SeparatorScene& s) {
         s.access.heldChecksLeft = 1;
         s.prompts.canAsk = false;
         s.Backup();
     },
     [](SeparatorScene& s) { return s.Game().DefaultCon(); }},
    {"GameFileHeldQuestion",
     [](SeparatorScene& s) {
         s.access.heldChecksLeft = 1;
         s.Backup();
     },
     [](SeparatorScene& s) { return s.Game().DefaultCon(); }},
    {"VirtualStoreQuestion",
     [](SeparatorScene& s) {
         s.CopyInVirtualStore();
         s.Backup();
     },
     [](SeparatorScene&) { return JoinPath("custom_music", "backups"); }},
    {"VirtualStoreRefusal",
     [](SeparatorScene& s) {
         s.CopyInVirtualStore();
         s.prompts.canAsk = false;
         s.Backup();
     },
     [](SeparatorScene& s) { return s.Mirror(); }},
    {"VirtualStoreKept",
     [](SeparatorScene& s) {
         s.CopyInVirtualStore();
         s.prompts.questionAnswers = {Prompts::Answer::No};
         s.Backup();
     },
     [](SeparatorScene& s) { return s.Mirror(); }},
    {"VirtualStoreNotMoved",
     [](SeparatorScene& s) {
         s.CopyInVirtualStore();
         WriteFileBytes(s.Game().CustomMusic(), "a file where the backups would go");
         s.prompts.questionAnswers = {Prompts::Answer::Yes};
         s.Backup();
     },
     [](SeparatorScene& s) {
         return ResolvePathNoCase(s.Mirror(), GameFolder::kMusicRfaInFolder);
     }},
    {"NotWritable",
     [](SeparatorScene& s) {
         s.access.canRestart = false;
         s.access.deniedFolders = {s.game};
         s.Backup();
     },
     [](SeparatorScene& s) { return s.game; }},
    {"OnlyAnAdministrator",
     [](SeparatorScene& s) {
         s.access.deniedFolders = {s.game};
         s.Backup();
     },
     [](SeparatorScene& s) { return s.game; }},
    {"NotTheGame",
     [](SeparatorScene& s) {
         RemoveFile(s.Game().DefaultCon());
         s.shownInView = {s.Controller(Front::Window).View().gameFolderFlag};
     },
     [](SeparatorScene&) { return WithSystemSeparators(GameFolder::kDefaultConInFolder); }},
};

INSTANTIATE_TEST_SUITE_P(Messages, PathSeparatorsTest, ::testing::ValuesIn(kMessages),
                         [](const auto& param) { return param.param.label; });

// Where Windows would take the game folder for another, the refusal names it as given.
TEST(PathSeparatorsRewriteTest, TheRefusedFolderIsNamedWithTheSystemsSeparator) {
    SeparatorScene scene;
    const std::string typed = scene.game + ".";
    if (WhyThisSystemWouldRewrite(typed).empty())
        GTEST_SKIP() << "this system opens a folder named with a trailing dot as written";
    GameFolderController controller(scene.base, scene.prompts, scene.access, Front::CommandLine);
    controller.ChooseGameFolder(GivenTheOtherWay(typed));
    EXPECT_FALSE(controller.Backup());
    ASSERT_EQ(scene.prompts.messages.size(), 1u);
    EXPECT_NE(scene.prompts.messages[0].find(typed), std::string::npos);
    EXPECT_EQ(scene.prompts.messages[0].find('/'), std::string::npos);
}

} // namespace
