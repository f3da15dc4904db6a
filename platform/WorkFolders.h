#pragma once
#include <string>

// Name of the file the build writes beside the programs it builds.
inline constexpr const char* kBuildTreeMarker = ".kp-build-tree";
// Name of the file the portable zip ships beside the programs (a line of text saying what it
// does, so a user who finds it knows).
inline constexpr const char* kPortableMarker = "portable.txt";

// Whether the programs in programFolder keep their work folders beside themselves: true when
// either marker is there as a file.
bool WorkFoldersBesidePrograms(const std::string& programFolder);

// Folder that holds a program's work folders: beside the executable when a marker is there
// (the build tree, a portable folder); for an installed program the user's data folder
// (UserDataFolder, then programName/programName, as Qt lays out its application data),
// created on demand.
std::string WorkBaseFolder(const std::string& programName);
