#pragma once
#include <string>

// Turns a Windows path read from a Wine prefix ("C:\\Program Files\\Game") into the folder a
// program in that prefix would reach: the prefix's dosdevices/<letter>: link (drive_c when
// C: has no link), then the rest of the path resolved without regard to case. A path without
// a drive letter comes back with its backslashes turned into '/'. Empty in, empty out.
std::string WindowsPathInWinePrefix(const std::string& prefix, const std::string& windowsPath);
