#include "builder/GameScripts.h"
#include "builder/SongProject.h"
#include "common/FileError.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

// Sample project: slot 1 has quotes in its title, slot 2 an hour, the rest untouched.
void FillSample(SongProject& project) {
    project.SlotAt(1).SetTitle("Say \"hi\" twice");
    project.SlotAt(1).SetStoredLength(187);
    project.SlotAt(2).SetTitle("Long one");
    project.SlotAt(2).SetStoredLength(3600);
}

std::string ExpectedPlaylist() {
    std::string text = "rem createGroup <GroupID> <name> starts a new group.\r\n"
                       "rem - The group is set on the musicPlayer template with \"groupId "
                       "<name>\" (Names are not case sensitive)\r\n"
                       "\r\n"
                       "musicManager.createGroup \"US\"\r\n"
                       "musicmanager.loadSoundScript \"us.ssc\"\r\n"
                       "\r\n"
                       "musicmanager.registerSong 0 \"Say 'hi' twice\" 187.0\r\n"
                       "musicmanager.registerSong 1 \"Long one\" 3600.0\r\n";
    for (int index = 2; index < 16; ++index)
        text += "musicmanager.registerSong " + std::to_string(index) + " \"empty slot\" 0.0\r\n";
    text += "\r\n"
            "rem CustomPlaylist should always be last in this file.\r\n"
            "rem MusicPlayers without the setGroup \"<name>\" will default to the first "
            "playlist in this file.\r\n"
            "rem It should never be the custom playlist.\r\n"
            "\r\n"
            "musicManager.registerDirectory \"Custom\" \"/My Music\"\r\n";
    return text;
}

std::size_t CountOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(PlaylistScript, SampleProjectByteForByte) {
    TempFolder folder;
    SongProject project;
    FillSample(project);
    ASSERT_TRUE(project.WritePlaylistScript(folder.file("playlists.con")));
    const std::string bytes = ReadFileBytes(folder.file("playlists.con"));
    EXPECT_EQ(bytes, ExpectedPlaylist());
    EXPECT_EQ(CountOf(bytes, "\r\n"), 28u);
    EXPECT_EQ(CountOf(bytes, "\n"), 28u); // no bare line feed
}

TEST(PlaylistScript, TitlesCannotBreakOutOfTheirLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"Two\nlines", "Two lines"},
        {"a\"\r\nrun ../../evil.con\r\nrem \"", "a'  run ../../evil.con  rem '"},
        {std::string("tab\there\0nul\x1b[2J\x7f", 17), "tab here nul [2J "},
        {"caf\xE9 \xC2\x9B ok", "caf\xE9 \xC2\x9B ok"}}; // code-page bytes stay
    for (const auto& [typed, written] : cases) {
        TempFolder folder;
        SongProject project;
        project.SlotAt(1).SetTitle(typed);
        ASSERT_TRUE(project.WritePlaylistScript(folder.file("playlists.con")));
        const std::string bytes = ReadFileBytes(folder.file("playlists.con"));
        EXPECT_NE(bytes.find("registerSong 0 \"" + written + "\" 0.0\r\n"), std::string::npos)
            << bytes;
        EXPECT_EQ(CountOf(bytes, "\r\n"), 28u);
        EXPECT_EQ(CountOf(bytes, "\n"), 28u);
        EXPECT_EQ(CountOf(bytes, "\""), 44u);        // only the script's own quotes
        EXPECT_EQ(project.SlotAt(1).title(), typed); // the project keeps it as typed
    }
}

TEST(PlaylistScript, MovedSlotBecomesIndexZero) {
    SongProject project;
    SongSlot& slot = project.SlotAt(6);
    slot.SetTitle("Moved");
    slot.SetStoredLength(42);
    for (int step = 0; step < 5; ++step)
        ASSERT_TRUE(project.MoveUp(slot));
    const std::string text = PlaylistScriptText(project);
    EXPECT_NE(text.find("\r\n\r\nmusicmanager.registerSong 0 \"Moved\" 42.0\r\n"),
              std::string::npos);
}

// Sets LC_NUMERIC to a locale with a decimal comma: an installed one, or one compiled into
// the folder with localedef. Yields the name, or nothing when neither works.
std::string SetCommaLocale(const TempFolder& folder) {
    // The last two are the Windows runtime's names.
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8",
                             "German_Germany.1252", "French_France.1252"}) {
        if (std::setlocale(LC_NUMERIC, name))
            return name;
    }
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + folder.file("de_DE.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return {};
    SetEnvironment("LOCPATH", folder.path());
    const char* name = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    UnsetEnvironment("LOCPATH");
    return name ? "de_DE.UTF-8" : "";
}

TEST(PlaylistScript, FullStopWhateverTheLocale) {
    TempFolder folder;
    const std::string locale = SetCommaLocale(folder);
    if (locale.empty())
        GTEST_SKIP() << "no locale with a decimal comma is available";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    SongProject project;
    FillSample(project);
    const std::string text = PlaylistScriptText(project);
    std::setlocale(LC_NUMERIC, "C");
    ASSERT_STREQ(probe, "1,5") << "the locale " << locale << " has no decimal comma";
    EXPECT_EQ(text, ExpectedPlaylist());
}

TEST(PlaylistScript, UncreatableFileFails) {
    TempFolder folder;
    SongProject project;
    EXPECT_FALSE(project.WritePlaylistScript(folder.file("missing/playlists.con")));
    EXPECT_THROW(project.WritePlaylistScript("/dev/full"), FileError);
}

TEST(SoundScript, EmbeddedTextIsTheFixedScript) {
    TempFolder folder;
    ASSERT_TRUE(WriteSoundScript(folder.file("US.ssc")));
    const std::string bytes = ReadFileBytes(folder.file("US.ssc"));
    EXPECT_EQ(bytes.size(), 1666u);
    EXPECT_EQ(bytes, std::string(SoundScriptText()));
    EXPECT_EQ(CountOf(bytes, "\r\n"), 142u);
    EXPECT_EQ(CountOf(bytes, "\n"), 142u);
    EXPECT_EQ(CountOf(bytes, "\r"), 142u);
    const std::string ending = "volume 1.0\r\n\r\n\r\n";
    EXPECT_EQ(bytes.substr(bytes.size() - ending.size()), ending);
}

TEST(SoundScript, BlocksAndUnevenSpacing) {
    const std::string text(SoundScriptText());
    std::string expected;
    for (int n = 0; n < 16; ++n) {
        char number[8];
        std::snprintf(number, sizeof number, "%.2d", n + 1);
        expected += "// SONG " + std::to_string(n) +
                    ":\r\nnewPatch\r\n\r\nstream @ROOT/Music/US/music" + number +
                    ".wav\r\nminDistance 15\r\npriority 10\r\nvolume 1.0\r\n";
        expected += (n == 0 || n == 2) ? "\r\n" : "\r\n\r\n";
    }
    EXPECT_EQ(text, expected);
}

TEST(SoundScript, UncreatableFileFails) {
    TempFolder folder;
    EXPECT_FALSE(WriteSoundScript(folder.file("missing/US.ssc")));
}

} // namespace
