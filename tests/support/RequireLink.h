#pragma once
#include <gtest/gtest.h>

// A link a test needs (from MakeSymbolicLink or MakeFolderLink). Not making it fails the test,
// except on Windows, where the system may make no reparse points for us at all (Wine 8 makes
// none; Windows without Developer Mode refuses unprivileged links): there the test ends as
// skipped and says why. Its cases without links run before it.
#ifdef _WIN32
#define REQUIRE_LINK(made)                                                                         \
    if (made) {                                                                                    \
    } else                                                                                         \
        GTEST_SKIP() << "this system made no reparse point (Wine 8 makes none)"
#else
#define REQUIRE_LINK(made) ASSERT_TRUE(made)
#endif
