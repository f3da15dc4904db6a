// The Windows counterpart of writing to /dev/full: Windows has no full device, but a pipe
// whose reader has gone refuses every write, as a full disk would.
#include "common/FileError.h"
#include "common/TextFileWriter.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(WriteRefusedTest, TextFileWriterThrowsWhenNothingTakesTheBytes) {
    const std::string pipe = "//./pipe/kptest-write-" + std::to_string(GetCurrentProcessId());
    const std::wstring widePipe(pipe.begin(), pipe.end());
    HANDLE reader = CreateNamedPipeW(widePipe.c_str(), PIPE_ACCESS_INBOUND,
                                     PIPE_TYPE_BYTE | PIPE_WAIT, 1, 64, 64, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    TextFileWriter writer;
    ASSERT_TRUE(writer.Open(pipe));
    CloseHandle(reader);
    try {
        writer.WriteText(std::string(1 << 16, 'x'));
        writer.Close();
        FAIL() << "no error for a pipe nobody reads";
    } catch (const FileError& error) {
        EXPECT_EQ(error.fileName(), pipe);
    }
}

} // namespace
