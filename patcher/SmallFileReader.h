#pragma once
#include <cstddef>
#include <optional>
#include <string>

// Reads a small file whole: only a regular file of at most maxBytes, never through a link
// when followLinks is false. Nothing when it is missing, of another kind, too large or
// unreadable; never throws.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes,
                                         bool followLinks);
