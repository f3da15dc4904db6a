#pragma once
#include <cstddef>
#include <optional>
#include <string>

// The bytes of a regular file (not a link) of at most mostBytes; nothing otherwise. Shows
// nothing. (The other file operations are the platform's: platform/FileOps.h.)
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t mostBytes);
