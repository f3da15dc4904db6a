#pragma once
#include <string>

// Links for fixtures of the link-refusal cases, on both systems. On Windows these are reparse
// points (symbolic links made without the administrator's privilege where the system allows it);
// mingw's standard library cannot make them. Both return false when no link was made: the
// system refused, or cannot make links at all (Wine 8 has no reparse points).

// A symbolic link to a file at linkPath.
bool MakeSymbolicLink(const std::string& target, const std::string& linkPath);

// A symbolic link to a folder at linkPath.
bool MakeFolderLink(const std::string& target, const std::string& linkPath);
