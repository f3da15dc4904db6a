#pragma once

// True where a fixture may be unable to make a symbolic link although the system knows them:
// Wine 8 makes no reparse points. Link cases there are stated as left out, never passed.
#ifdef _WIN32
inline constexpr bool kLinksMayBeMissing = true;
#else
inline constexpr bool kLinksMayBeMissing = false;
#endif
