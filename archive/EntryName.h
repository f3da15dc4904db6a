#pragma once
#include <string>
#include <string_view>
#include <vector>

// Checks on entry names read from an archive, which come from outside and are used as paths
// below the extraction's target folder.

// Why the name cannot be extracted below a target folder (too long, too many components,
// absolute, drive prefix or other colon, backslash, "..", NUL byte, no file component), or
// the empty string when it can.
std::string EntryNameRefusal(std::string_view name);

// The non-empty pieces between "/" characters, in order.
std::vector<std::string> EntryNameComponents(std::string_view name);
