// Listening to a pack in Palisor, decided by the controller: the song chosen is played straight
// from the pack (its samples, as SDL's disk driver writes them, are the song's as the patcher
// decodes it), the song that plays stops on a second choice, and playback stops whenever the
// pack, the game folder or the game files are about to change. Without sound output nothing
// plays and the view says so.
#include "patcher/GameFolderController.h"

#include "common/PackLayout.h"
#include "patcher/SystemSongPlayer.h"
#include "platform/FileOps.h"
#include "tests/patcher/FakeGameFolderAccess.h"
#include "tests/patcher/FakeSongPlayer.h"
#include "tests/patcher/GameScene.h"
#include "patcher/install/WorkFolderPaths.h"
#include "tests/playback/PlaybackFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using Played = std::vector<std::pair<std::string, int>>;

class ListeningTest : public ::testing::Test, protected GameScene {
protected:
    void SetUp() override {
        controller.SetSongPlayer(&player);
        controller.ChooseGameFolder(game);
        controller.ChoosePack(pack);
        ASSERT_TRUE(controller.Start());
        ASSERT_EQ(controller.View().preview.size(), 16u);
    }
    const PatcherView& View() const { return controller.View(); }

    FakeGameFolderAccess access;
    FakeSongPlayer player;
    GameFolderController controller{base, prompts, access, GameFolderController::Front::Window};
};

TEST_F(ListeningTest, AChosenSongPlaysAndAChosenAgainStops) {
    EXPECT_EQ(View().listening, GameFolderController::kListeningHint);
    controller.PlaySong(3);
    EXPECT_EQ(player.played, (Played{{pack, 3}}));
    EXPECT_EQ(View().playingSong, 3);
    EXPECT_EQ(View().listening, "Playing 03 Song 3  0:12 / 3:07");
    controller.PlaySong(5); // another song takes its place
    controller.PlaySong(5);
    EXPECT_EQ(player.played, (Played{{pack, 3}, {pack, 5}}));
    EXPECT_EQ(player.stops, 1);
    EXPECT_EQ(View().playingSong, 0);
    EXPECT_EQ(View().listening, GameFolderController::kListeningHint);
    // Played to its end: the view follows.
    controller.PlaySong(16);
    player.state = Player::State::Finished;
    controller.FollowPlayback();
    EXPECT_EQ(View().playingSong, 0);
    for (int outside : {0, 17})
        controller.PlaySong(outside);
    EXPECT_EQ(player.played.size(), 3u);
}

TEST_F(ListeningTest, PlaybackStopsBeforeThePackTheFolderOrTheGameFilesChange) {
    const std::vector<std::function<void()>> changes = {
        [&] { controller.Backup(); },
        [&] { controller.ChooseGameFolder(temp.file("elsewhere")); },
        [&] { controller.ChooseGameFolder(game); }, // (nothing plays: no stop)
        [&] { controller.Apply(progress); },
        [&] { controller.Restore(); },
        [&] { controller.ChoosePack(""); },
    };
    int stops = 0;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        controller.ChoosePack(pack);
        if (i != 2)
            controller.PlaySong(1);
        changes[i]();
        stops += i != 2;
        EXPECT_EQ(player.stops, stops);
        EXPECT_EQ(View().playingSong, 0);
    }
    // A refused pack plays nothing.
    WriteFileBytes(pack, "not a pack");
    controller.ChoosePack("");
    controller.ChoosePack(pack);
    controller.PlaySong(1);
    EXPECT_EQ(player.played.size(), 5u);
    EXPECT_EQ(View().listening, ""); // no song to play
}

TEST_F(ListeningTest, WithoutSoundOutputNothingPlaysAndTheViewSaysSo) {
    player.output = Player::Output::Unavailable;
    controller.FollowPlayback();
    EXPECT_EQ(View().listening, kNoSoundOutput);
    controller.PlaySong(1);
    EXPECT_TRUE(player.played.empty());
    EXPECT_EQ(View().playingSong, 0);
}

// The samples played are the song's, exactly, as the patcher would decode it for the game.
TEST(ListeningSamplesTest, APackSongPlaysAsThePatcherDecodesIt) {
    GameScene scene;
    const std::string wav = WriteWav(scene.temp, "song.wav", Sweep(kTestRate / 2));
    const std::vector<std::int16_t> expected = BuiltAndInstalled(wav);
    std::vector<PackEntry> entries = RegularPackEntries();
    entries[2 + 6].data = ReadFileBytes(scene.temp.file("song.ogg")); // velk/music07.ogg
    ASSERT_EQ(entries[8].name, "velk/" + PackLayout::SongFileName(7));
    WriteFileBytes(scene.pack, FlatArchiveBytes(entries));
    DiskOutput output;
    {
        FakeGameFolderAccess access;
        SystemSongPlayer player;
        GameFolderController controller(scene.base, scene.prompts, access,
                                        GameFolderController::Front::Window);
        controller.SetSongPlayer(&player);
        ASSERT_TRUE(controller.Start());
        controller.ChoosePack(scene.pack);
        ASSERT_TRUE(WaitFor([&] { return player.SoundOutput() != Player::Output::Probing; }));
        controller.PlaySong(7);
        ASSERT_EQ(controller.View().playingSong, 7);
        ASSERT_TRUE(WaitFor([&] {
            controller.FollowPlayback();
            return controller.View().playingSong == 0;
        }));
        EXPECT_EQ(controller.View().listening, GameFolderController::kListeningHint);
        EXPECT_TRUE(FolderExists(WorkFolderIn(scene.base))); // nothing unpacked into it
        EXPECT_TRUE(ListFolder(WorkFolderIn(scene.base)).empty());
    }
    const auto played = WithoutEdgeSilence(output.Played());
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(played == WithoutEdgeSilence(expected))
        << played.size() << " samples played, " << expected.size() << " decoded";
}

} // namespace
