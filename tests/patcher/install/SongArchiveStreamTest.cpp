#include "patcher/install/SongArchiveStream.h"
#include "archive/FlatArchiveWriter.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr int kSongs = 6;

struct Songs {
    TempFolder temp;
    std::vector<std::string> paths;

    Songs() {
        fs::create_directory(temp.file("US"));
        for (int slot = 0; slot < kSongs; ++slot) {
            paths.push_back(temp.file("US/song" + std::to_string(slot) + ".wav"));
            // Sizes from empty to past the writer's 1 MiB copy chunk.
            WriteFileBytes(paths.back(), std::string(slot * slot * 50000, char('a' + slot)));
        }
    }
    std::string FolderArchive() {
        FlatArchiveWriter writer;
        writer.sourceFolder = temp.file("US");
        writer.namePrefix = "music/US";
        EXPECT_TRUE(writer.WriteArchive(temp.file("folder.rfa")));
        return ReadFileBytes(temp.file("folder.rfa"));
    }
};

// Whatever order the songs finish in, and from however many threads, the archive is the
// folder's, byte for byte.
TEST(SongArchiveStream, AnyFinishingOrderGivesTheFolderArchive) {
    const std::vector<std::vector<int>> orders = {
        {0, 1, 2, 3, 4, 5}, {5, 4, 3, 2, 1, 0}, {1, 0, 3, 2, 5, 4}, {2, 5, 0, 4, 1, 3}};
    for (const auto& order : orders) {
        Songs songs;
        const std::string streamed = songs.temp.file("music.rfa");
        SongArchiveStream stream(streamed, songs.paths, "music/US");
        for (int slot : order)
            stream.SongDone(slot);
        ASSERT_TRUE(stream.Finish());
        EXPECT_EQ(ReadFileBytes(streamed), songs.FolderArchive()) << order[0] << order[1];
    }
    Songs songs;
    SongArchiveStream stream(songs.temp.file("music.rfa"), songs.paths, "music/US");
    std::vector<std::thread> workers;
    for (int worker = 0; worker < 3; ++worker)
        workers.emplace_back([&, worker] {
            for (int slot = kSongs - 1 - worker; slot >= 0; slot -= 3)
                stream.SongDone(slot);
        });
    for (auto& worker : workers)
        worker.join();
    ASSERT_TRUE(stream.Finish());
    EXPECT_EQ(ReadFileBytes(songs.temp.file("music.rfa")), songs.FolderArchive());
}

// A song missing, unreadable or never done leaves no archive behind.
TEST(SongArchiveStream, AnIncompleteStreamLeavesNoArchive) {
    for (int missing : {-1, 0, 3}) {
        Songs songs;
        const std::string streamed = songs.temp.file("music.rfa");
        {
            SongArchiveStream stream(streamed, songs.paths, "music/US");
            if (missing >= 0)
                fs::remove(songs.paths[missing]);
            for (int slot = 0; slot < kSongs - (missing < 0 ? 1 : 0); ++slot)
                stream.SongDone(slot);
            EXPECT_FALSE(stream.Finish());
        }
        EXPECT_FALSE(fs::exists(streamed)) << missing;
    }
}

} // namespace
