// A real full disk and a real read-only file system under the game folder: a small tmpfs,
// mounted when the test runs as root (skipped otherwise).
#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/install/ApplyPatch.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "platform/FileOps.h"
#include "tests/patcher/PackFixture.h"
#include "tests/patcher/RecordingControls.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

class DiskFullTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0 || !CreateFolder(mountPoint) ||
            ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=4m") != 0)
            GTEST_SKIP() << "needs root to mount a small tmpfs";
        mounted = true;
        MakeGameFolder(game);
        WriteFileBytes(GameMusicRfa(game), std::string(256 * 1024, 'm')); // more than is left
        ASSERT_TRUE(CreateFolder(base));
        WriteFileBytes(pack, FlatArchiveBytes(RegularPackEntries()));
    }
    void TearDown() override {
        if (mounted)
            ::umount2(mountPoint.c_str(), MNT_DETACH);
    }

    // Takes all but a few kilobytes of the file system.
    void FillDisk() {
        struct statvfs info;
        ASSERT_EQ(::statvfs(mountPoint.c_str(), &info), 0);
        const auto free = static_cast<std::size_t>(info.f_bavail) * info.f_frsize;
        ASSERT_GT(free, 16384u);
        WriteFileBytes(filler, std::string(free - 8192, 'x'));
    }
    void Remount(unsigned long flags) {
        ASSERT_EQ(::mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_REMOUNT | flags, "size=4m"), 0);
    }
    bool Apply() {
        FakeProgress progress;
        return PrepareWorkFolder(base, prompts) && ApplyPatch(game, pack, base, prompts, progress);
    }
    bool Backup() { return BackupOriginals(game, prompts, controls); }
    bool Restore() { return RestoreOriginals(game, prompts, controls); }

    TempFolder temp;
    std::string mountPoint = temp.file("disk");
    std::string game = mountPoint + "/BFV";
    std::string filler = mountPoint + "/filler";
    std::string base = temp.file("program");
    std::string pack = temp.file("pack.velk");
    bool mounted = false;
    FakePrompts prompts;
    RecordingControls controls;
};

TEST_F(DiskFullTest, FullDiskLeavesTheGameAsItWasAndTheNextTryWorks) {
    FillDisk();
    auto original = TreeSnapshot(game);
    EXPECT_FALSE(Backup());
    EXPECT_FALSE(BackupsComplete(game));
    std::filesystem::remove(filler);
    ASSERT_TRUE(Backup()); // the cut-short backup is made again

    FillDisk();
    auto backedUp = TreeSnapshot(game);
    EXPECT_FALSE(Apply());
    EXPECT_EQ(prompts.messages.back(), "Unable to move file - patch failed.");
    EXPECT_EQ(TreeSnapshot(game), backedUp);
    std::filesystem::remove(filler);
    ASSERT_TRUE(Apply());

    Remount(MS_RDONLY);
    auto patched = TreeSnapshot(game);
    EXPECT_FALSE(Restore());
    EXPECT_EQ(TreeSnapshot(game), patched);
    Remount(0);
    ASSERT_TRUE(Restore());
    EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), original["Mods/BfVietnam/settings/Default.con"]);
    EXPECT_EQ(ReadFileBytes(GameMusicRfa(game)), original["Mods/BfVietnam/Archives/music.rfa"]);
}

} // namespace
