#pragma once
#include "platform/SystemError.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The one way to read a small file whole: a state file in a game folder or a backup, a pack's
// script, a prefix's registry, a launcher's list, a settings file. Those are outside data, so
// the file is opened non-blocking (a named pipe cannot hang the caller), checked on the open
// descriptor (a regular file, at most mostBytes long) and read without ever going past
// mostBytes, whatever the file claims or grows to.
//
// Failure: nothing when the file is missing, unreadable, not a regular file (a folder, pipe,
// device or socket), larger than mostBytes, or behind a final link while links are refused.
// error (when given) then tells why it could not be opened or read (Busy: another program held
// it past the retry); it is left as it was for a file too large. Never throws.
struct SmallFileReader {
    enum class Links {
        Follow, // a link to a regular file is read (files of the game or a launcher)
        Refuse  // a final link is refused (files of our own)
    };

    static std::optional<std::string> Read(const std::string& path, std::size_t mostBytes,
                                           Links links = Links::Refuse,
                                           SystemError* error = nullptr);
};
