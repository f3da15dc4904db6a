#pragma once
#include <string>
#include <string_view>
#include <vector>

// Checks on entry names read from an archive, which come from outside and are used as paths
// below the extraction's target folder. A pack is shared between players, so Windows' rules
// hold on every system: what one system would write to another file, a device or nowhere is
// refused everywhere, by name, before anything is opened.

// Why the name cannot be extracted below a target folder (too long, too many components,
// absolute, drive prefix or other colon, backslash, "..", NUL byte, no file component, or a
// component that Windows would take for a device or alter: see WhyWindowsWouldRewriteName),
// or the empty string when it can.
std::string EntryNameRefusal(std::string_view name);

// Why the file the name makes below targetFolder cannot be written on Windows as named: its
// full path is longer than Windows takes (kWindowsPathLimit). "" when it can.
std::string EntryPathRefusal(const std::string& targetFolder, std::string_view name);

// The non-empty pieces between "/" characters, in order.
std::vector<std::string> EntryNameComponents(std::string_view name);

// The path an entry is extracted to: targetFolder, then the components of the name, joined
// with the system's separator ("." components left out).
std::string EntryOutputPath(const std::string& targetFolder, std::string_view name);

// The form under which Windows would find the entry's file: its components without "." and
// in upper case (ASCII), so that two names with equal forms would be written to one file.
std::string EntryFileKey(std::string_view name);
