#include "builder/SongProject.h"
#include "builder/SlotLabels.h"
#include "builder/SongListText.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A mono 16-bit WAV of whole seconds at 8000 Hz: small files with distinct lengths.
std::string MonoWav(const TempFolder& folder, const std::string& name, int seconds) {
    const std::string path = folder.file(name);
    WriteFileBytes(path, MakeWav(1, 8000, 16, std::string(16000u * seconds, '\0')));
    return path;
}

void ExpectCleared(const SongSlot& slot) {
    EXPECT_EQ(slot.path(), "");
    EXPECT_EQ(slot.title(), "empty slot");
    EXPECT_EQ(slot.length(), 0.0f);
    EXPECT_FALSE(slot.valid());
    EXPECT_EQ(slot.status(), "no file");
}

TEST(SongProject, NewProjectState) {
    SongProject project;
    EXPECT_EQ(project.quality(), 4);
    EXPECT_EQ(project.path(), "");
    for (int position = 1; position <= 16; ++position)
        ExpectCleared(project.SlotAt(position));
    EXPECT_FALSE(project.AllValid());
    EXPECT_THROW(project.SlotAt(0), std::out_of_range);
    EXPECT_THROW(project.SlotAt(17), std::out_of_range);
}

TEST(SongProject, ResetClearsInPlaceAndKeepsOrder) {
    TempFolder folder;
    SongProject project;
    SongSlot& first = project.SlotAt(1);
    first.SetPath(MonoWav(folder, "a.wav", 2));
    ASSERT_TRUE(project.MoveDown(first));
    project.SetQuality(9);
    project.SetPath("x.velkp");
    project.Reset();
    EXPECT_EQ(&project.SlotAt(2), &first);
    ExpectCleared(first);
    EXPECT_EQ(project.quality(), 4);
    EXPECT_EQ(project.path(), "");
}

TEST(SongProject, MovesAtTheEdgesChangeNothing) {
    SongProject project;
    SongSlot& first = project.SlotAt(1);
    SongSlot& last = project.SlotAt(16);
    EXPECT_FALSE(project.MoveUp(first));
    EXPECT_FALSE(project.MoveDown(last));
    EXPECT_EQ(&project.SlotAt(1), &first);
    EXPECT_EQ(&project.SlotAt(16), &last);
    SongSlot foreign;
    EXPECT_FALSE(project.MoveUp(foreign));
    EXPECT_FALSE(project.MoveDown(foreign));
}

TEST(SongProject, MovingCarriesEveryField) {
    TempFolder folder;
    SongProject project;
    SongSlot& moved = project.SlotAt(5);
    moved.SetTitle("Fifth");
    moved.SetPath(MonoWav(folder, "five.wav", 5));
    SongSlot& neighbour = project.SlotAt(4);
    neighbour.SetTitle("Fourth");
    neighbour.SetPath(folder.file("missing.wav"));

    ASSERT_TRUE(project.MoveUp(moved));
    const SongSlot& now4 = project.SlotAt(4);
    EXPECT_EQ(&now4, &moved);
    EXPECT_EQ(now4.title(), "Fifth");
    EXPECT_EQ(now4.path(), folder.file("five.wav"));
    EXPECT_EQ(now4.length(), 5.0f);
    EXPECT_TRUE(now4.valid());
    EXPECT_EQ(now4.status(), "Ok");
    const SongSlot& now5 = project.SlotAt(5);
    EXPECT_EQ(now5.title(), "Fourth");
    EXPECT_EQ(now5.status(), "invalid format");

    ASSERT_TRUE(project.MoveDown(moved));
    EXPECT_EQ(&project.SlotAt(5), &moved);
    EXPECT_EQ(project.PositionOf(moved), 5);
}

TEST(SongProject, EmptyPathProbesAsInvalidFormat) {
    SongProject project;
    project.SlotAt(1).SetPath("");
    EXPECT_EQ(project.SlotAt(1).status(), "invalid format");
    EXPECT_FALSE(project.SlotAt(1).valid());
}

TEST(SongProject, AllValidStopsAtFirstInvalidSlot) {
    TempFolder folder;
    const std::string good = MonoWav(folder, "good.wav", 1);
    const std::string stereo = folder.file("stereo.wav");
    WriteFileBytes(stereo, MakeWav(2, 8000, 16, std::string(32000, '\0')));
    SongProject project;
    for (int position = 1; position <= 16; ++position)
        project.SlotAt(position).SetPath(good);
    EXPECT_TRUE(project.AllValid());

    // Slot 3 goes bad and slot 9 goes stereo behind the project's back: only slot 3's
    // status changes, slot 9 is never looked at again.
    project.SlotAt(3).SetStoredPath(folder.file("gone.wav"));
    project.SlotAt(9).SetStoredPath(stereo);
    EXPECT_FALSE(project.AllValid());
    EXPECT_EQ(project.SlotAt(3).status(), "invalid format");
    EXPECT_EQ(project.SlotAt(9).status(), "Ok");
}

TEST(SongProject, FifteenValidAndOneClearedFail) {
    TempFolder folder;
    const std::string good = MonoWav(folder, "good.wav", 1);
    SongProject project;
    for (int position = 1; position <= 15; ++position)
        project.SlotAt(position).SetPath(good);
    EXPECT_FALSE(project.AllValid());
    EXPECT_EQ(project.SlotAt(16).status(), "invalid format");
}

TEST(SlotLabels, NumbersLettersAndLengths) {
    EXPECT_EQ(NumberLabel(1), "01");
    EXPECT_EQ(NumberLabel(16), "16");
    EXPECT_EQ(LetterLabel(1), "A");
    EXPECT_EQ(LetterLabel(16), "P");
    EXPECT_EQ(LengthText(0), "0.0");
    EXPECT_EQ(LengthText(187), "187.0");
    EXPECT_EQ(LengthText(3600), "3600.0");
    EXPECT_EQ(LengthText(2.25f), "2.2");
}

} // namespace

namespace {

TEST(SongListText, PaddedColumnsAndCarriageReturns) {
    SongProject project;
    project.SlotAt(1).SetTitle(std::string(60, 't')); // longer than its column: not cut
    project.SlotAt(2).SetStoredLength(42);            // printed although the slot is invalid
    project.SlotAt(3).SetTitle("q\"\r\n\tz");         // no line breaks from a title
    const std::string text = SongListText(project);
    const std::string header = "Letter " + std::string("Title") + std::string(45, ' ') + " Time" +
                               std::string(6, ' ') + "\r";
    EXPECT_EQ(text.substr(0, header.size()), header);
    EXPECT_EQ(text.substr(header.size(), 77), std::string(76, '-') + "\r");
    const std::string rest = text.substr(header.size() + 77);
    EXPECT_EQ(rest.substr(0, 79), "A      " + std::string(60, 't') + " 0.0       \r");
    EXPECT_NE(rest.find("B      empty slot" + std::string(40, ' ') + " 42.0      \r"),
              std::string::npos);
    EXPECT_NE(rest.find("C      q'   z" + std::string(44, ' ') + " 0.0       \r"),
              std::string::npos);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 18);
}

} // namespace
