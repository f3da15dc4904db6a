// Times as typed and shown, the rules a trim must keep, and what a trim does to a slot's
// length in the list and in the playlist script.
#include "builder/GameScripts.h"
#include "builder/SongProject.h"
#include "builder/TrimRefusal.h"
#include "builder/TrimText.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNames.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct TimeCase {
    std::string typed;
    std::optional<double> seconds;
};

class ParseSecondsTest : public testing::TestWithParam<TimeCase> {};

TEST_P(ParseSecondsTest, TakesSecondsWithATenthOrMinutesAndSeconds) {
    EXPECT_EQ(ParseSeconds(GetParam().typed), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Times, ParseSecondsTest,
    testing::Values(TimeCase{"75", 75.0}, TimeCase{"75.5", 75.5}, TimeCase{" 75,6 ", 75.6},
                    TimeCase{"0", 0.0}, TimeCase{"0.1", 0.1}, TimeCase{"1:15", 75.0},
                    TimeCase{"1:15.5", 75.5}, TimeCase{"12:05,3", 725.3},
                    TimeCase{"99999.9", 99999.9}, TimeCase{"1666:39.9", 99999.9},
                    TimeCase{"100000", std::nullopt}, TimeCase{"1666:40", std::nullopt},
                    TimeCase{"", std::nullopt}, TimeCase{"  ", std::nullopt},
                    TimeCase{"-1", std::nullopt}, TimeCase{"+1", std::nullopt},
                    TimeCase{"1.25", std::nullopt}, TimeCase{"1.", std::nullopt},
                    TimeCase{".5", std::nullopt}, TimeCase{"1:5", std::nullopt},
                    TimeCase{"1:60", std::nullopt}, TimeCase{"1:2:3", std::nullopt},
                    TimeCase{":15", std::nullopt}, TimeCase{"1e3", std::nullopt},
                    TimeCase{"end", std::nullopt}, TimeCase{"7 5", std::nullopt}),
    [](const auto& tested) {
        return TestName(std::to_string(tested.index) + " " + tested.param.typed);
    });

TEST(TimeText, TenthsAndClock) {
    EXPECT_EQ(SecondsText(75.5), "75.5");
    EXPECT_EQ(SecondsText(0.04), "0.0");
    EXPECT_EQ(SecondsText(12.345), "12.3");
    EXPECT_EQ(SecondsTextDown(187.68), "187.6");
    EXPECT_EQ(SecondsTextDown(187.6), "187.6"); // held as 187.5999...
    EXPECT_EQ(ClockText(0), "0:00.0");
    EXPECT_EQ(ClockText(75.55), "1:15.5");
    EXPECT_EQ(ClockText(1800), "30:00.0");
}

struct RefusalCase {
    std::string name;
    SongTrim trim;
    std::optional<std::int64_t> songMilliseconds;
    std::string refusal;
};

class TrimRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(TrimRefusalTest, SaysWhyOrNothing) {
    EXPECT_EQ(TrimRefusal(GetParam().trim, GetParam().songMilliseconds), GetParam().refusal);
}

const std::optional<std::int64_t> kSong = 187680; // 187.68 s
const std::optional<std::int64_t> kUnknown = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Trims, TrimRefusalTest,
    testing::Values(
        RefusalCase{"NoTrimEvenOfAnUnknownSong", {}, kUnknown, ""},
        RefusalCase{"NoTrimOfAShortSong", {}, 400, ""},
        RefusalCase{"StartAndEnd", {30, 180.5, 2, 5}, kSong, ""},
        RefusalCase{"EndAtTheSongsEnd", {0, 187.6, 0, 0}, kSong, ""},
        RefusalCase{"OnlyAFade", {0, std::nullopt, 0, 3}, kSong, ""},
        RefusalCase{"StartBeyondTheEnd",
                    {187.7, std::nullopt, 0, 0},
                    kSong,
                    "The Start (187.7 s) lies beyond the end of the song (187.6 s)."},
        RefusalCase{"EndBeyondTheEnd",
                    {10, 187.7, 0, 0},
                    kSong,
                    "The End (187.7 s) lies beyond the end of the song (187.6 s)."},
        RefusalCase{"EndBeforeStart", {60, 30, 0, 0}, kSong, "The End must come after the Start."},
        RefusalCase{"EndAtStart", {60, 60, 0, 0}, kUnknown, "The End must come after the Start."},
        RefusalCase{"ShorterThanASecond",
                    {10.3, 11.2, 0, 0},
                    kSong,
                    "A trimmed song must last at least 1 second."},
        RefusalCase{"ExactlyASecond", {10.3, 11.3, 0.5, 0.5}, kSong, ""},
        RefusalCase{"StartAtTheEnd",
                    {187.6, std::nullopt, 0, 0},
                    kSong,
                    "A trimmed song must last at least 1 second."},
        RefusalCase{"FadesLongerThanTheSong",
                    {0, 10, 6, 4.1},
                    kSong,
                    "The fades (10.1 s together) are longer than the trimmed song (10.0 s)."},
        RefusalCase{"FadesToTheSongsEnd",
                    {180, std::nullopt, 4, 4},
                    kSong,
                    "The fades (8.0 s together) are longer than the trimmed song (7.6 s)."},
        RefusalCase{"FadesAsLongAsTheSong", {0, 10, 5, 5}, kSong, ""},
        // A song that cannot be read: what the trim says by itself, the rest at the build.
        RefusalCase{"UnknownSongBeyondAnyEnd", {9000, std::nullopt, 0, 0}, kUnknown, ""},
        RefusalCase{"UnknownSongFadesTooLong",
                    {0, 10, 6, 6},
                    kUnknown,
                    "The fades (12.0 s together) are longer than the trimmed song (10.0 s)."}),
    [](const auto& tested) { return tested.param.name; });

// A mono 16-bit song of the given frames at 8,000 Hz.
std::string Song(const TempFolder& folder, const std::string& name, int frames) {
    WriteFileBytes(folder.file(name),
                   MakeWav(1, 8000, 16, Pcm16Bytes(ToneSamples(1, 8000, frames, 300))));
    return folder.file(name);
}

TEST(TrimmedSlot, LengthIsWhatTheTrimKeepsCutDownToTheTenth) {
    TempFolder folder;
    SongProject project;
    SongSlot& slot = project.SlotAt(1);
    slot.SetPath(Song(folder, "a.wav", 8000 * 20 + 5000)); // 20.625 s
    EXPECT_EQ(slot.PlayedLength(), 20.0f);                 // untrimmed: whole seconds
    EXPECT_EQ(slot.SongMilliseconds(), 20625);
    slot.SetTrim({2.5, std::nullopt, 1, 1});
    EXPECT_EQ(slot.PlayedLength(), 18.1f);
    EXPECT_DOUBLE_EQ(*slot.PlayedSeconds(), 18.125);
    slot.SetTrim({2.5, 12.3, 0, 0});
    EXPECT_EQ(slot.PlayedLength(), 9.8f);
    EXPECT_EQ(slot.length(), 20.0f); // the file keeps the song's own length

    const std::string script = PlaylistScriptText(project);
    EXPECT_NE(script.find("musicmanager.registerSong 0 \"empty slot\" 9.8\r\n"), std::string::npos);

    slot.SetPath(folder.file("gone.wav")); // a song not found: its stored length, no exact one
    EXPECT_EQ(slot.PlayedLength(), 20.0f);
    EXPECT_FALSE(slot.SongMilliseconds());
}

} // namespace
