#pragma once
#include <string>

// The platform's short (8.3) alias of an existing path: GetShortPathNameW on Windows (the
// path unchanged when the volume keeps no short names or the path does not exist). Linux has
// no such aliases, so there the path comes back unchanged.
std::string ShortPathOf(const std::string& path);
