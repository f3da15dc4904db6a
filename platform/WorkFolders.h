#pragma once
#include <string>

// Name of the file the build writes beside the programs it builds. The same file in an
// unpacked (portable) folder keeps the work folders there too.
inline constexpr const char* kBuildTreeMarker = ".kp-build-tree";

// Folder that holds a program's work folders: beside the executable when the marker is there
// (the build tree, a portable folder); for an installed program the user's data folder
// (UserDataFolder, then programName/programName, as Qt lays out its application data),
// created on demand.
std::string WorkBaseFolder(const std::string& programName);
