// The Windows counterpart of the small-file reader's pipe and device cases: Windows has no
// pipes or device nodes in its folders, but a name can still reach a pipe or a device (NUL in
// any folder, \\.\pipe\...). None may hang the reader, and none is read.
#include "platform/SmallFileReader.h"
#include "tests/support/TempFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(DeviceNamesTest, PipesAndDevicesAreNeverRead) {
    TempFolder temp;
    const std::string pipe = "//./pipe/kptest-" + std::to_string(GetCurrentProcessId());
    const std::wstring widePipe(pipe.begin(), pipe.end());
    HANDLE server = CreateNamedPipeW(widePipe.c_str(), PIPE_ACCESS_DUPLEX,
                                     PIPE_TYPE_BYTE | PIPE_WAIT, 1, 64, 64, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SmallFileReader::Read(pipe, 8), std::nullopt);
    CloseHandle(server);
    for (const std::string& device : {std::string("NUL"), temp.file("NUL"), temp.file("CON")}) {
        SCOPED_TRACE(device);
        EXPECT_EQ(SmallFileReader::Read(device, 8), std::nullopt);
    }
}

} // namespace
