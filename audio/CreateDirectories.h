#pragma once
#include <string>

// Creates every missing folder named before the last "/" or "\" of path; the last component
// is a file name and a leading drive prefix such as "C:" is never touched. Returns 0 when
// all folders exist or were created, -1 after a message on standard error (creation failed,
// status query failed, or a segment is not a folder).
int createDirectories(const std::string& path);
