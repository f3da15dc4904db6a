#include "patcher/gamefolder/ElevationDecision.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "tests/patcher/PackFixture.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using Step = ElevationDecision::Step;

TEST(ElevationDecisionTest, ProceedsOffersARestartOrRefuses) {
    const std::string folder = "C:/Program Files (x86)/EA GAMES/Battlefield Vietnam";
    struct Row {
        bool elevated, writable, canRestart;
        Step step;
        std::string message;
    };
    const Row rows[] = {
        {false, true, true, Step::Proceed, ""},
        {true, true, false, Step::Proceed, ""},
        {false, false, true, Step::OfferRestart,
         "Only an administrator may change files in " + folder +
             ", so Palisor cannot do it as it runs now. Nothing was changed.\n\nRestart Palisor "
             "as administrator, with the same game folder and pack?"},
        {true, false, true, Step::Refuse,
         "Couldn't do it - Palisor may not change files in " + folder +
             ", even as administrator. Check the folder's permissions (in its Properties, "
             "Security), then try again. Nothing was changed."},
        // Linux: no elevation to offer, and never sudo.
        {false, false, false, Step::Refuse,
         "Couldn't do it - you may not change files in " + folder +
             ". Give your user permission to write the game folder, then try again. Nothing "
             "was changed."},
    };
    for (const Row& row : rows) {
        const ElevationDecision decision =
            DecideElevation(row.elevated, row.writable, row.canRestart, folder);
        EXPECT_EQ(decision.step, row.step) << row.elevated << row.writable << row.canRestart;
        EXPECT_EQ(decision.message, row.message);
    }
}

TEST(ElevationDecisionTest, ProbesEveryFolderAChangeWritesBeforeIt) {
    TempFolder temp;
    const std::string game = temp.file("BFV");
    MakeGameFolder(game);
    const std::string settings = FolderOf(GameDefaultCon(game));
    const std::string archives = FolderOf(GameMusicRfa(game));
    // custom_music is not made yet: the game folder, where it would be made, is probed.
    EXPECT_EQ(FoldersGameChangesWrite(game), (std::vector<std::string>{settings, archives, game}));
    ASSERT_TRUE(CreateFolderTree(BackupsFolder(game)));
    EXPECT_EQ(FoldersGameChangesWrite(game),
              (std::vector<std::string>{settings, archives, CustomMusicFolder(game),
                                        BackupsFolder(game)}));

    struct Row {
        std::set<std::string> denied, failing;
        std::string first;
    };
    const Row rows[] = {
        {{}, {}, ""},
        {{archives, BackupsFolder(game)}, {}, archives},
        {{BackupsFolder(game)}, {settings}, BackupsFolder(game)},
        {{}, {settings, archives}, ""}, // other errors are the action's to report
    };
    for (const Row& row : rows) {
        std::vector<std::string> probed;
        const auto probe = [&](const std::string& folder) {
            probed.push_back(folder);
            return row.denied.count(folder)    ? FolderAccess::Denied
                   : row.failing.count(folder) ? FolderAccess::Failed
                                               : FolderAccess::Writable;
        };
        EXPECT_EQ(FirstFolderDenied(game, probe), row.first);
        EXPECT_EQ(probed.back(), row.first.empty() ? BackupsFolder(game) : row.first);
    }
}

} // namespace
