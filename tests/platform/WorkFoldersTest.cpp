#include "platform/WorkFolders.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

// Which markers beside the programs keep the work folders there. A marker that is a folder does
// not count: only the build and the portable zip write them, and both write files.
TEST(WorkFolders, MarkersBesideThePrograms) {
    struct Case {
        const char* name;
        std::vector<std::string> files;
        std::vector<std::string> folders;
        bool beside;
    };
    const Case cases[] = {
        {"installed", {"korvane.exe", "palisor.exe"}, {}, false},
        {"build tree", {kBuildTreeMarker}, {}, true},
        {"portable zip", {"korvane.exe", kPortableMarker}, {}, true},
        {"both", {kBuildTreeMarker, kPortableMarker}, {}, true},
        {"portable marker is a folder", {}, {kPortableMarker}, false},
        {"other text file", {"portable.txt.bak", "readme.txt"}, {}, false},
    };
    for (const auto& c : cases) {
        TempFolder temp;
        for (const auto& file : c.files)
            WriteFileBytes(temp.file(file), "Work folders live beside the programs.\r\n");
        for (const auto& folder : c.folders)
            std::filesystem::create_directory(temp.file(folder));
        EXPECT_EQ(WorkFoldersBesidePrograms(temp.path()), c.beside) << c.name;
    }
}
