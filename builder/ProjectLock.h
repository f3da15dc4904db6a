#pragma once
#include "platform/FolderLock.h"

#include <string>

class Prompts;

// Keeps two Korvanes from changing one project file at once (two `korvane --add`, or one and
// a window saving): an advisory lock on "NAME.velkp.lock" beside the project, as the work
// folder has. Held from before the project is read until after it is saved; never waits.
class ProjectLock {
public:
    ProjectLock() = default;
    ProjectLock(const ProjectLock&) = delete;
    ProjectLock& operator=(const ProjectLock&) = delete;

    // False with a message (and nothing changed) when another Korvane holds the project. Where
    // no lock can be made (a read-only folder, a file system without locks) the caller goes
    // on: saving then fails with its own message, or no other Korvane can be there either.
    bool Take(const std::string& projectPath, Prompts& prompts);

    static std::string LockPathOf(const std::string& projectPath);

private:
    FolderLock lock_;
};
