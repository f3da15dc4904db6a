// Where the first file dialogs open on Linux: the XDG user dirs, else ~/Music and ~/Documents,
// else the home folder.
#include "platform/KnownFolders.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct Case {
    const char* name;
    const char* userDirs; // nullptr: no user-dirs file
    std::vector<const char*> folders;
    const char* music;     // below home; "" is home itself
    const char* documents; // below home
};

class KnownFoldersTest : public testing::TestWithParam<Case> {};

TEST_P(KnownFoldersTest, MusicAndDocumentsFolders) {
    const Case& test = GetParam();
    TempFolder home;
    for (const char* folder : test.folders)
        std::filesystem::create_directories(home.file(folder));
    if (test.userDirs) {
        std::filesystem::create_directories(home.file(".config"));
        WriteFileBytes(home.file(".config/user-dirs.dirs"), test.userDirs);
    }
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    SetEnvironment("HOME", home.path());
    UnsetEnvironment("XDG_CONFIG_HOME");
    const std::string music = MusicFolder(), documents = DocumentsFolder();
    SetEnvironment("HOME", savedHome);
    const auto below = [&home](const char* name) {
        return *name ? home.file(name) : home.path();
    };
    EXPECT_EQ(music, below(test.music));
    EXPECT_EQ(documents, below(test.documents));
}

INSTANTIATE_TEST_SUITE_P(
    UserDirs, KnownFoldersTest,
    testing::Values(
        Case{"none", nullptr, {}, "", ""},
        Case{"usual names", nullptr, {"Music", "Documents"}, "Music", "Documents"},
        Case{"xdg", "XDG_MUSIC_DIR=\"$HOME/Musik\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
             {"Musik", "Dokumente", "Music"}, "Musik", "Dokumente"},
        Case{"xdg folder missing", "XDG_MUSIC_DIR=\"$HOME/Gone\"\n", {"Music"}, "Music", ""},
        Case{"comments, escapes, last wins",
             "# XDG_MUSIC_DIR=\"$HOME/No\"\nXDG_MUSIC_DIR=\"$HOME/A\"\n"
             "XDG_MUSIC_DIR=\"$HOME/My \\\"Songs\\\"\"\n",
             {"No", "A", "My \"Songs\""}, "My \"Songs\"", ""},
        Case{"not a path of its own", "XDG_MUSIC_DIR=\"Music\"\nXDG_DOCUMENTS_DIR=$HOME/D\n",
             {"Music", "D"}, "Music", ""}),
    [](const auto& tested) { return TestName(tested.param.name); });

} // namespace
