// A named pipe where a song or a project was: opened for reading, it would wait for a writer
// forever. POSIX only; Windows has no pipes in its folders (windows/DeviceNameTest.cpp holds
// its counterpart, a device name).
#include "builder/SongProject.h"
#include "builder/SongSlot.h"
#include "tests/builder/posix/FifoWatch.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(Probe, NamedPipeFailsWithoutWaitingForAWriter) {
    TempFolder folder;
    SongSlot slot;
    EXPECT_FALSE(
        WaitedOnFifo(folder.file("pipe.wav"), [&] { slot.SetPath(folder.file("pipe.wav")); }));
    EXPECT_EQ(slot.status(), "invalid format");
}

TEST(ProjectFile, NamedPipeIsNotOpenedAndWaitedOn) {
    TempFolder folder;
    SongProject project;
    bool loaded = true;
    EXPECT_FALSE(WaitedOnFifo(folder.file("p.velkp"),
                              [&] { loaded = project.Load(folder.file("p.velkp")); }));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(project.path(), "");
}

} // namespace
