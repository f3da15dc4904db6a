#pragma once
#include <string>

// Finds base/relative the way a case-insensitive file system (Windows, or a program under
// Wine) would: each component of `relative` ('/' or '\\' separated) is taken as spelled when
// that exists, otherwise the first entry of the folder (in name order) whose name matches
// without regard to ASCII case. From the first component that matches nothing on, the rest
// is appended as spelled, so the result names where the path would be. Never fails.
// On Windows the file system itself ignores case: the components are joined as spelled.
std::string ResolvePathNoCase(const std::string& base, const std::string& relative);
