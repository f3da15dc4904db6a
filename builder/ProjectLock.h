#pragma once
#include "platform/FolderLock.h"

#include <string>

class Prompts;

// Keeps two Korvanes from changing one project file at once (two `korvane --add`, or one and
// a window saving): an advisory lock held from before the project is read until after it is
// saved; never waits. The lock file lies in Korvane's own data folder, named after the
// project's real path, so nothing is left beside the project and two spellings of one file
// (a link, another case on Windows) share one lock.
class ProjectLock {
public:
    // lockFolder: where the lock files live (Korvane's data folder; created on demand).
    explicit ProjectLock(std::string lockFolder) : lockFolder_(std::move(lockFolder)) {}
    ProjectLock(const ProjectLock&) = delete;
    ProjectLock& operator=(const ProjectLock&) = delete;

    // False with a message (and nothing changed) when another Korvane holds the project. Where
    // no lock can be made (a read-only data folder, a file system without locks) the caller goes
    // on: no other Korvane can lock there either.
    bool Take(const std::string& projectPath, Prompts& prompts);

    // The lock file of a project: "project-<SHA-256 of its real path>.lock" in lockFolder.
    std::string LockPathOf(const std::string& projectPath) const;

private:
    std::string lockFolder_;
    FolderLock lock_;
};
