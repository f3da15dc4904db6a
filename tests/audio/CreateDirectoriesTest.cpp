#include "audio/CreateDirectories.h"
#include "platform/FileOps.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int result;
    std::string messages;
};

Outcome Create(const std::string& path) {
    testing::internal::CaptureStderr();
    int result = createDirectories(path);
    return {result, testing::internal::GetCapturedStderr()};
}

TEST(CreateDirectories, CreatesEveryFolderBeforeTheFileName) {
    TempFolder temp;
    Outcome out = Create(temp.path() + "/a/b\\c/music01.ogg");
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.messages, "");
    EXPECT_TRUE(FolderExists(temp.path() + "/a"));
    EXPECT_TRUE(FolderExists(temp.path() + "/a/b\\c")); // "\" also separates; Linux keeps it
    EXPECT_FALSE(FileExists(temp.path() + "/a/b\\c/music01.ogg"));
    EXPECT_FALSE(FolderExists(temp.path() + "/a/b\\c/music01.ogg"));
    EXPECT_EQ(Create(temp.path() + "/a/b\\c/music02.ogg").result, 0); // all exist now
}

TEST(CreateDirectories, AFileInTheWayIsNotADirectory) {
    TempFolder temp;
    WriteFileBytes(temp.file("plain"), "x");
    std::string segment = temp.path() + "/plain";
    Outcome out = Create(segment + "/inner/song.ogg");
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.messages, "Error: path segment \"" + segment + "\" is not a directory\n");
    EXPECT_FALSE(FolderExists(segment + "/inner"));
}

TEST(CreateDirectories, UncreatableFolderIsReported) {
    Outcome out = Create("/proc/no-such-folder-here/x.ogg");
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.messages.rfind("Couldn't create directory \"/proc/no-such-folder-here\": ", 0),
              0u)
        << out.messages;
}

class InFolder {
public:
    explicit InFolder(const std::string& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

TEST(CreateDirectories, NoSeparatorCreatesNothing) {
    TempFolder temp;
    InFolder here(temp.path());
    EXPECT_EQ(Create("music01.ogg").result, 0);
    EXPECT_EQ(Create("/music01.ogg").result, 0); // a leading separator alone is no segment
    EXPECT_EQ(Create("C:music01.ogg").result, 0);
    EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
}

TEST(CreateDirectories, DriveLetterIsNeverQueriedOrCreated) {
    TempFolder temp;
#ifdef _WIN32
    // Here "C:" is a drive (the temporary folder's): the folders below it are made, the drive
    // itself is never a segment.
    ASSERT_EQ(temp.path().substr(1, 2), ":/");
    const Outcome out = Create(temp.file("work/velk_work/music01.ogg"));
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.messages, "");
    EXPECT_TRUE(FolderExists(temp.file("work/velk_work")));
#else
    InFolder here(temp.path());
    // Here "C:" is not a folder, so the first segment queried, "C:\work", cannot be created;
    // had the drive prefix been a segment of its own it would have been created first.
    Outcome out = Create("C:/work/velk_work/music01.ogg");
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.messages.rfind("Couldn't create directory \"C:/work\": ", 0), 0u) << out.messages;
    EXPECT_FALSE(FolderExists(temp.file("C:")));

    ASSERT_TRUE(CreateFolder(temp.file("C:")));
    EXPECT_EQ(Create("C:/work/velk_work/music01.ogg").result, 0);
    EXPECT_TRUE(FolderExists(temp.file("C:/work/velk_work")));
#endif
}

} // namespace
