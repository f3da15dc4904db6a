#pragma once
#include <gtest/gtest.h>

#include <string>

// Links for fixtures of the link-refusal cases, on both systems. On Windows these are reparse
// points (symbolic links made without the administrator's privilege where the system allows it);
// mingw's standard library cannot make them. Both return false when no link was made: the
// system refused, or cannot make links at all (Wine 8 has no reparse points).

// A symbolic link to a file at linkPath.
bool MakeSymbolicLink(const std::string& target, const std::string& linkPath);

// A symbolic link to a folder at linkPath.
bool MakeFolderLink(const std::string& target, const std::string& linkPath);

// Whether links can be made here, found out once by making one: always on POSIX; on Windows
// where the system makes reparse points for us (Wine 8 makes none; Windows without Developer
// Mode refuses unprivileged links).
bool CanMakeLinks();

// The one way a test says it needs a link it made (from MakeSymbolicLink or MakeFolderLink):
// not making it fails the test, except where this system makes no links at all
// (CanMakeLinks), where the test ends as skipped and says why. Its cases without links run
// before it.
#define REQUIRE_LINK(made)                                                                         \
    if (made) {                                                                                    \
    } else if (!CanMakeLinks())                                                                    \
        GTEST_SKIP() << "this system makes no links (Wine 8 has no reparse points)";               \
    else                                                                                           \
        FAIL() << "no link made: " #made
