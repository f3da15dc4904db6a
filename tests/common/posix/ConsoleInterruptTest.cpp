// Ctrl-C as SIGINT. Windows delivers it as a console control event, which a test cannot raise
// in a process without its own console (as under ctest).
#include "common/ConsoleProgress.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

namespace {

TEST(ConsoleProgress, InterruptCancelsAtTheNextPumpAndHandlerIsRestored) {
    struct sigaction before {};
    sigaction(SIGINT, nullptr, &before);
    std::ostringstream out;
    {
        ConsoleProgress progress(out);
        ASSERT_TRUE(progress.Open("t", false));
        std::raise(SIGINT);
        EXPECT_FALSE(progress.Cancelled()); // seen only at a pump
        EXPECT_TRUE(progress.Pump(false));
        EXPECT_TRUE(progress.Cancelled());
        EXPECT_TRUE(progress.Pump(true)); // stays cancelled
    }
    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    // A new run starts uncancelled even though the last one was interrupted.
    ConsoleProgress next(out);
    ASSERT_TRUE(next.Open("t", false));
    EXPECT_FALSE(next.Pump(false));
    next.Close();
}

} // namespace
