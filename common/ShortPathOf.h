#pragma once
#include <string>

// The platform's short (8.3) alias of an existing path. Linux has no such aliases, so the
// path comes back unchanged.
std::string ShortPathOf(const std::string& path);
