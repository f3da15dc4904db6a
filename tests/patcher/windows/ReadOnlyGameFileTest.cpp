// Game files marked read-only (FILE_ATTRIBUTE_READONLY, as a copy from a disc leaves them): the
// Windows counterpart of the read-only file system DiskFullTest mounts on POSIX. Apply and
// restore must fail without changing anything, and work once the mark is cleared.
#include "patcher/ApplyPatch.h"
#include "patcher/Backup.h"
#include "patcher/PatchInstall.h"
#include "patcher/PatcherPaths.h"
#include "platform/FileOps.h"
#include "tests/patcher/PackFixture.h"
#include "tests/patcher/RecordingControls.h"
#include "tests/patcher/windows/HeldByGame.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

bool MarkReadOnly(const std::string& path, bool readOnly) {
    return SetFileAttributesW(WidePath(path).c_str(),
                              readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

class ReadOnlyGameFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeGameFolder(game);
        ASSERT_TRUE(CreateFolder(base));
        WriteFileBytes(pack, FlatArchiveBytes(RegularPackEntries()));
        ASSERT_TRUE(BackupOriginals(game, prompts, controls));
    }
    void TearDown() override {
        for (const auto& path : {GameDefaultCon(game), GameMusicRfa(game)})
            MarkReadOnly(path, false); // so that the temporary folder can go
    }
    bool Apply() {
        FakeProgress progress;
        return PrepareWorkFolder(base, prompts) && ApplyPatch(game, pack, base, prompts, progress);
    }
    bool Restore() { return RestoreOriginals(game, prompts, controls); }

    TempFolder temp;
    std::string game = temp.file("BFV");
    std::string base = temp.file("program");
    std::string pack = temp.file("pack.velk");
    FakePrompts prompts;
    RecordingControls controls;
};

TEST_F(ReadOnlyGameFileTest, ApplyAndRestoreChangeNothingUntilTheMarkIsCleared) {
    for (const std::string& marked : {GameDefaultCon(game), GameMusicRfa(game)}) {
        SCOPED_TRACE(marked);
        ASSERT_TRUE(MarkReadOnly(marked, true));
        auto before = TreeSnapshot(game);
        prompts.messages.clear();
        EXPECT_FALSE(Apply());
        EXPECT_EQ(prompts.messages.back(), "Unable to move file - patch failed.");
        EXPECT_EQ(TreeSnapshot(game), before);
        ASSERT_TRUE(MarkReadOnly(marked, false));
        ASSERT_TRUE(Apply());

        ASSERT_TRUE(MarkReadOnly(marked, true));
        before = TreeSnapshot(game);
        EXPECT_FALSE(Restore());
        EXPECT_EQ(TreeSnapshot(game), before);
        ASSERT_TRUE(MarkReadOnly(marked, false));
        ASSERT_TRUE(Restore());
        EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon);
        EXPECT_EQ(ReadFileBytes(GameMusicRfa(game)), kGameMusicRfa);
        ASSERT_TRUE(BackupOriginals(game, prompts, controls));
    }
}

} // namespace
