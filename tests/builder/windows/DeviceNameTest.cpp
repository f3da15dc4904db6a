// The Windows counterpart of the named-pipe cases: a song or project path that names a device
// (CON waits for typing at the console, NUL reads as empty, COM1 is a serial port). They are
// never opened as files, in any folder and with any extension.
#include "builder/SongProject.h"
#include "builder/SongSlot.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

const char* const kDevices[] = {"CON", "NUL", "nul.wav", "COM1", "AUX"};

TEST(Probe, DeviceNameIsInvalidFormatWithoutReadingIt) {
    TempFolder folder;
    for (const char* device : kDevices) {
        SongSlot slot;
        slot.SetPath(folder.file(device));
        EXPECT_FALSE(slot.valid()) << device;
        EXPECT_EQ(slot.status(), "invalid format") << device;
    }
}

TEST(ProjectFile, DeviceNameIsNotOpened) {
    TempFolder folder;
    for (const char* device : kDevices) {
        SongProject project;
        EXPECT_FALSE(project.Load(folder.file(device))) << device;
        EXPECT_EQ(project.path(), "") << device;
    }
}

} // namespace
