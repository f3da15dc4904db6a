// Another program holding a file past the retry (an antivirus, an indexer or a player that
// shares deletion, so the up-front check lets it pass; or a program that takes the file between
// that check and the commit), asked of the fault seam at every step on both systems: the file is
// named as in use with its cause, the game folder is as it was, nothing is left behind, and a
// held backup is never called damaged.
#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/GameFolder.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "platform/FaultInjection.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/HeldFileRetry.h"
#include "tests/patcher/GameScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <set>

namespace {

using namespace std::chrono_literals;

// As many attempts as the retry makes within its budget fail: the step fails, and the steps of
// the roll-back after it find the file let go.
FaultInjection::Effect HeldPastTheRetry() {
    int attempts = 1;
    for (auto waited = 0ms, pause = kFirstHeldFilePause; waited < kHeldFileBudget; pause *= 2) {
        waited += std::min(pause, kHeldFileBudget - waited);
        ++attempts;
    }
    return FaultInjection::Effect::BusyTimes(attempts);
}

// How the cause of a file held past the retry reads: "busy (16)", "sharing violation (32)".
std::string HeldCause() {
    const std::string described = SystemError::OfKind(FileFailure::Busy, "call", "").Describe();
    return described.substr(described.find(": ") + 2);
}

std::vector<std::string> Leftovers(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = item.path().filename().string();
        if (name.find(".kp-") != std::string::npos || name == "palisor.journal")
            found.push_back(name);
    }
    return found;
}

struct Replacing {
    std::string label;
    std::function<void(GameScene&)> prepare;
    std::function<bool(GameScene&)> run;
};

void PrintTo(const Replacing& replacing, std::ostream* out) {
    *out << replacing.label;
}

// The four work files an apply installs, as its last step finds them.
void MakeWorkFiles(GameScene& scene) {
    for (const char* name : {"music.rfa", "Default.con", "playlists.con", "US.ssc"})
        WriteFileBytes(JoinPath(scene.base, name), std::string("new ") + name);
}

class HeldFileTest : public ::testing::TestWithParam<Replacing> {
protected:
    void TearDown() override { FaultInjection::Disarm(); }
};

TEST_P(HeldFileTest, AFileHeldAtAnyRenameIsNamedAndTheFolderIsAsItWas) {
    int steps = 0;
    {
        GameScene scene;
        GetParam().prepare(scene);
        FaultInjection::Count();
        ASSERT_TRUE(GetParam().run(scene));
        steps = FaultInjection::Taken(FileStep::Rename);
        FaultInjection::Disarm();
    }
    int named = 0;
    for (int nth = 1; nth <= steps; ++nth) {
        SCOPED_TRACE("rename #" + std::to_string(nth));
        GameScene scene;
        FaultInjection::Count(); // no slow flushes around the fault
        GetParam().prepare(scene);
        const auto before = TreeSnapshot(scene.game);
        FaultInjection::Arm(FileStep::Rename, nth, HeldPastTheRetry());
        const bool done = GetParam().run(scene);
        FaultInjection::Count();
        EXPECT_EQ(Leftovers(scene.game), std::vector<std::string>{});
        if (done)
            continue; // a step with another way round (a copy for a link)
        EXPECT_EQ(TreeSnapshot(scene.game), before);
        ASSERT_EQ(scene.prompts.messages.size(), 1u) << testing::PrintToString(scene.prompts.messages);
        ASSERT_EQ(scene.prompts.details.size(), 1u);
        EXPECT_NE(scene.prompts.details[0].find(HeldCause()), std::string::npos)
            << scene.prompts.details[0];
        bool isGameFile = false;
        for (const std::string& target : scene.Game().InstallTargets())
            isGameFile = isGameFile || scene.prompts.messages[0] == FileInUseMessage(target);
        EXPECT_TRUE(isGameFile || scene.prompts.messages[0] ==
                                      FileInUseMessage(scene.Game().JournalFile()))
            << scene.prompts.messages[0];
        named += isGameFile;
    }
    EXPECT_GT(named, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, HeldFileTest,
    ::testing::Values(Replacing{"Install",
                                [](GameScene& s) {
                                    ASSERT_TRUE(s.Backup());
                                    MakeWorkFiles(s);
                                    s.prompts = FakePrompts();
                                },
                                [](GameScene& s) {
                                    return InstallPatchedFiles(s.game, s.base, s.prompts);
                                }},
                      Replacing{"Restore",
                                [](GameScene& s) {
                                    ASSERT_TRUE(s.Backup());
                                    ASSERT_TRUE(s.Apply());
                                    s.prompts = FakePrompts();
                                },
                                [](GameScene& s) { return s.Restore(); }}),
    [](const auto& param) { return param.param.label; });

// Any file a restore reads held at its opening: a held copy of the backup or its manifest is
// named as held and kept, never called damaged, and the game keeps its files.
TEST(HeldBackupTest, ARestoreNamesTheHeldBackupAndNeverCallsItDamaged) {
    int opens = 0;
    {
        GameScene scene;
        ASSERT_TRUE(scene.Backup());
        FaultInjection::Count();
        ASSERT_TRUE(scene.Restore());
        opens = FaultInjection::Taken(FileStep::Open);
        FaultInjection::Disarm();
    }
    std::set<std::string> heldNamed;
    for (int nth = 1; nth <= opens; ++nth) {
        SCOPED_TRACE("open #" + std::to_string(nth));
        GameScene scene;
        FaultInjection::Count();
        ASSERT_TRUE(scene.Backup());
        scene.prompts = FakePrompts();
        FaultInjection::Arm(FileStep::Open, nth, HeldPastTheRetry());
        const bool done = scene.Restore();
        FaultInjection::Count();
        for (const std::string& message : scene.prompts.messages)
            EXPECT_EQ(message.find("does not match its manifest"), std::string::npos) << message;
        if (done)
            continue;
        EXPECT_TRUE(scene.Game().BackupsComplete());
        EXPECT_EQ(ReadFileBytes(scene.Game().DefaultCon()), kGameDefaultCon);
        for (const std::string& backup : {scene.Game().BackedUpDefaultCon(),
                                          scene.Game().BackedUpMusicRfa(),
                                          scene.Game().ManifestFile()})
            if (scene.prompts.messages == std::vector{HeldBackupMessage(backup)})
                heldNamed.insert(FileNameOf(backup));
    }
    EXPECT_EQ(heldNamed, (std::set<std::string>{"Default.con", "music.rfa", "manifest.txt"}));
}

} // namespace
