#include "platform/FolderLock.h"
#include "platform/FileOps.h"
#include "tests/support/MakeLink.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;

TEST(FolderLockTest, ASecondHolderIsRefusedUntilTheFirstLetsGo) {
    TempFolder temp;
    FolderLock first, second;
    ASSERT_EQ(first.LockFile(temp.file("work.lock")), FolderLock::Result::Taken);
    EXPECT_EQ(second.LockFile(temp.file("work.lock")), FolderLock::Result::HeldByAnother);
    EXPECT_NO_THROW(ReadFileBytes(temp.file("work.lock"))); // a scanner may still read it
    first.Unlock();
    EXPECT_EQ(second.LockFile(temp.file("work.lock")), FolderLock::Result::Taken);
    ASSERT_EQ(first.LockFolder(temp.path()), FolderLock::Result::Taken);
    EXPECT_EQ(second.LockFolder(temp.path()), FolderLock::Result::HeldByAnother);
    REQUIRE_LINK(MakeSymbolicLink(temp.file("elsewhere"), temp.file("link.lock")));
    EXPECT_EQ(first.LockFile(temp.file("link.lock")), FolderLock::Result::Unavailable);
    EXPECT_FALSE(fs::exists(temp.file("elsewhere")));
}

// The folder itself is never taken: a program whose current folder it is (the running game, a
// console) holds nothing of ours, while two lockers still exclude each other. The lock file
// goes with the lock.
TEST(FolderLockTest, AProgramSittingInTheFolderDoesNotHoldIt) {
    TempFolder temp;
    const std::string game = temp.file("BFV");
    ASSERT_TRUE(CreateFolder(game));
    int status = -1;
    std::thread sitting([&] {
        status = RunProgram(ProgramBesideTest("sit_in_folder"),
                            {game, temp.file("ready"), temp.file("release")});
    });
    for (int waited = 0; waited < 3000 && !FileExists(temp.file("ready")); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool ready = FileExists(temp.file("ready"));
    {
        FolderLock first, second;
        EXPECT_EQ(first.LockFolder(game), FolderLock::Result::Taken) << first.Error().Describe();
        EXPECT_EQ(second.LockFolder(game), FolderLock::Result::HeldByAnother);
        first.Unlock();
        EXPECT_EQ(second.LockFolder(game), FolderLock::Result::Taken);
    }
    WriteFileBytes(temp.file("release"), "");
    sitting.join();
    ASSERT_TRUE(ready);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(ListFolder(game).empty()); // no lock file left behind
}

// Why a folder cannot be locked is told: a missing folder, a file in the folder's place.
TEST(FolderLockTest, AFolderThatCannotBeLockedSaysWhy) {
    TempFolder temp;
    WriteFileBytes(temp.file("a file"), "x");
    for (const std::string& folder : {temp.file("missing"), temp.file("a file")}) {
        FolderLock lock;
        EXPECT_EQ(lock.LockFolder(folder), FolderLock::Result::Unavailable);
        EXPECT_NE(lock.Error().Describe().find(folder), std::string::npos)
            << lock.Error().Describe();
        EXPECT_EQ(lock.Error().Kind(), FileFailure::Missing) << lock.Error().Describe();
    }
}

} // namespace
