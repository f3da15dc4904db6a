#pragma once
#include "platform/SystemError.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

// C streams opened by a UTF-8 name (fopen; Windows: _wfopen with the UTF-16 name), for code
// and libraries that read through stdio. Offsets are 64-bit on both systems. The opening calls
// return null on failure; error, when given, then tells why.

// Opens as std::fopen does (the C library sets errno as well).
std::FILE* OpenStdFile(const std::string& path, const char* mode, SystemError* error = nullptr);

// Opens for binary reading, a regular file only (not a folder, a device or a pipe, which is
// never waited on).
std::FILE* OpenRegularStdFile(const std::string& path, SystemError* error = nullptr);

// Creates (or truncates) a file for binary writing without following a link (Windows: a
// reparse point) at its place, so that an extraction cannot be redirected outside its folder.
std::FILE* CreateOutputFile(const std::string& path, SystemError* error = nullptr);

// Creates a new file for binary writing; fails when anything, a link included, has the name.
std::FILE* CreateNewOutputFile(const std::string& path, SystemError* error = nullptr);

// Length of an open file; nothing when it cannot be determined.
std::optional<std::uint64_t> OpenFileLength(std::FILE* file);

// True when an open stream is a regular file.
bool IsRegularOpenFile(std::FILE* file);

// fseek and ftell with 64-bit offsets; Seek returns 0 on success as fseek does, Tell -1 on
// failure.
int SeekStdFile(std::FILE* file, std::int64_t offset, int whence);
std::int64_t TellStdFile(std::FILE* file);
