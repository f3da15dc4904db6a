#include "platform/FileOps.h"
#include "common/DeleteFolderTree.h"
#include "common/FileError.h"
#include "common/TextFileWriter.h"
#include "platform/FaultInjection.h"
#include "platform/SafeFile.h"
#include "platform/ShortPathOf.h"
#include "tests/support/MakeLink.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(PathHelpers, ShortPathIsThePathOnLinuxAndTreeDeletionIsComplete) {
    TempFolder temp;
#ifdef _WIN32
    // The 8.3 name of the same folder.
    const std::string shortPath = ShortPathOf(temp.path());
    EXPECT_LE(shortPath.size() - shortPath.rfind('/'), 1u + 12u) << shortPath;
    EXPECT_TRUE(std::filesystem::equivalent(shortPath, temp.path()));
#else
    EXPECT_EQ(ShortPathOf(temp.path()), temp.path());
#endif

    std::string root = temp.file("tree");
    std::filesystem::create_directories(root + "/a/b/c");
    WriteFileBytes(root + "/a/b/c/file", "x");
    WriteFileBytes(root + "/top", "y");
    WriteFileBytes(temp.file("outside"), "keep");

    EXPECT_TRUE(DeleteFolderTree(root));
    EXPECT_FALSE(std::filesystem::exists(root));
    EXPECT_TRUE(DeleteFolderTree(root)); // nothing there: still success

    std::filesystem::create_directories(root + "/a");
    REQUIRE_LINK(MakeFolderLink(temp.path(), root + "/a/link-out"));
    EXPECT_TRUE(DeleteFolderTree(root));
    EXPECT_FALSE(std::filesystem::exists(root));
    EXPECT_EQ(ReadFileBytes(temp.file("outside")), "keep"); // the link was not followed
}

// A tree deeper than Windows' usual 260 characters (seven folders of 60 characters, as a hostile
// pack once left in a work folder) is deleted whole; a deletion that fails names its cause and
// deletes all else it can.
TEST(DeleteFolderTreeTest, DeletesTreesBeyondTheUsualPathLimitAndNamesWhatFailed) {
    TempFolder temp;
    const std::string work = temp.file("work");
    std::string deepest = work;
    for (char letter = 'a'; letter < 'h'; ++letter)
        deepest = JoinPath(deepest, std::string(60, letter));
    ASSERT_GT(deepest.size(), 420u);
    ASSERT_TRUE(CreateFolderTree(deepest));
    SafeFile song(JoinPath(deepest, "music01.ogg"));
    ASSERT_TRUE(song.Write("ogg") && song.Commit());
    EXPECT_TRUE(FileExists(JoinPath(deepest, "music01.ogg")));
    EXPECT_TRUE(DeleteFolderTree(work));
    EXPECT_EQ(InspectPath(work).kind, PathKind::Missing);

    ASSERT_TRUE(CreateFolderTree(JoinPath(work, "a")));
    WriteFileBytes(JoinPath(JoinPath(work, "a"), "held"), "x");
    WriteFileBytes(JoinPath(work, "other"), "y");
    FaultInjection::Arm(FileStep::Remove, 1);
    const FileResult failed = DeleteFolderTree(work);
    FaultInjection::Disarm();
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.Error().Describe().find(work), std::string::npos) << failed.Error().Describe();
    EXPECT_EQ(ListFolder(work).size(), 1u); // only what the failing removal kept
    EXPECT_TRUE(DeleteFolderTree(work));
    EXPECT_FALSE(FolderExists(work));
}

TEST(FileOps, CopiesReplaceOrRefuseAsAsked) {
    TempFolder temp;
    WriteFileBytes(temp.file("a"), "first");
    WriteFileBytes(temp.file("b"), "second");

    EXPECT_FALSE(CopyFileRefusing(temp.file("a"), temp.file("b")));
    EXPECT_EQ(ReadFileBytes(temp.file("b")), "second");
    EXPECT_TRUE(CopyFileReplacing(temp.file("a"), temp.file("b")));
    EXPECT_EQ(ReadFileBytes(temp.file("b")), "first");
    EXPECT_TRUE(CopyFileRefusing(temp.file("a"), temp.file("c")));
    EXPECT_EQ(ReadFileBytes(temp.file("c")), "first");
    EXPECT_TRUE(CopyFileReplacing(temp.file("a"), temp.file("a")));
    EXPECT_EQ(ReadFileBytes(temp.file("a")), "first");
    EXPECT_FALSE(CopyFileReplacing(temp.file("missing"), temp.file("d")));
    EXPECT_FALSE(FileExists(temp.file("d")));
    EXPECT_EQ(FileLength(temp.file("a")), 5u);
    EXPECT_FALSE(FileLength(temp.path()));
}

TEST(FileOps, MoveNeverReplacesAFileOrAnEmptyFolder) {
    TempFolder temp;
    WriteFileBytes(temp.file("a"), "a");
    WriteFileBytes(temp.file("b"), "b");
    ASSERT_TRUE(CreateFolder(temp.file("empty")));
    ASSERT_TRUE(CreateFolder(temp.file("full")));

    EXPECT_FALSE(MoveNoReplace(temp.file("a"), temp.file("b")));
    EXPECT_FALSE(MoveNoReplace(temp.file("full"), temp.file("empty")));
    EXPECT_TRUE(FolderExists(temp.file("full")));
    EXPECT_TRUE(MoveNoReplace(temp.file("a"), temp.file("full/a")));
    EXPECT_EQ(ReadFileBytes(temp.file("full/a")), "a");
    EXPECT_FALSE(FileExists(temp.file("a")));
    EXPECT_TRUE(MoveNoReplace(temp.file("full"), temp.file("renamed")));
    EXPECT_TRUE(FileExists(temp.file("renamed/a")));
}

// How VirtualStore copies are moved aside: a folder goes whole with its bytes, never into
// itself, and its place stays taken by nothing.
TEST(FileOps, MoveTakesAFolderWholeButNeverIntoItself) {
    TempFolder temp;
    const std::string bytes("copied\r\n\0\xFF", 10);
    ASSERT_TRUE(CreateFolderTree(temp.file("store/custom_music/backups")));
    WriteFileBytes(temp.file("store/custom_music/backups/music.rfa"), bytes);
    ASSERT_TRUE(CreateFolderTree(temp.file("game/custom_music/backups/aside")));

    EXPECT_FALSE(MoveNoReplace(temp.file("store/custom_music"),
                               temp.file("store/custom_music/backups/custom_music")));
    EXPECT_EQ(ReadFileBytes(temp.file("store/custom_music/backups/music.rfa")), bytes);
    EXPECT_TRUE(MoveNoReplace(temp.file("store/custom_music"),
                              temp.file("game/custom_music/backups/aside/custom_music")));
    EXPECT_EQ(ReadFileBytes(temp.file("game/custom_music/backups/aside/custom_music/backups/"
                                      "music.rfa")),
              bytes);
    EXPECT_EQ(InspectPath(temp.file("store/custom_music")).kind, PathKind::Missing);
    EXPECT_TRUE(RemoveEmptyFolder(temp.file("store")));
}

TEST(FileOps, CreateFolderNeedsParentAndFailsWhenPresent) {
    TempFolder temp;
    EXPECT_FALSE(CreateFolder(temp.file("x/y")));
    EXPECT_TRUE(CreateFolder(temp.file("x")));
    EXPECT_FALSE(CreateFolder(temp.file("x")));
    EXPECT_FALSE(RemoveFile(temp.file("x")));
    EXPECT_TRUE(FolderExists(temp.file("x")));
}

TEST(TextFileWriter, WritesCrLfAndThrowsOnWriteFailure) {
    TempFolder temp;
    TextFileWriter writer;
    ASSERT_TRUE(writer.Open(temp.file("t.txt")));
    writer.WriteText("a\nb\n");
    writer.Close();
    ASSERT_TRUE(writer.Open(temp.file("t.txt"), true));
    writer.WriteText("c\n");
    writer.Close();
    EXPECT_EQ(ReadFileBytes(temp.file("t.txt")), "a\r\nb\r\nc\r\n");

    EXPECT_FALSE(writer.Open(temp.file("no/such/folder")));
#ifndef _WIN32 // a full device; Windows has none (windows/WriteRefusedTest.cpp)
    ASSERT_TRUE(writer.Open("/dev/full"));
    try {
        writer.WriteText(std::string(1 << 16, 'x'));
        writer.Close();
        FAIL() << "no error for a full device";
    } catch (const FileError& error) {
        EXPECT_EQ(error.fileName(), "/dev/full");
    }
#endif
}
