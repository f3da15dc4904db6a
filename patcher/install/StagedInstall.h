#pragma once
#include "patcher/gamefolder/InstallJournal.h"

#include <memory>
#include <string>
#include <vector>

class SafeFile;
class Sha256;

// Replaces files of the game folder all together or not at all: each new file is first
// copied in full beside its target (a flushed temporary file, created exclusively), then
// Commit puts them all in place under the install journal. Staged files that never reach
// Commit are removed when the object goes, leaving the game folder as it was.
class StagedInstall {
public:
    explicit StagedInstall(std::string gameFolder);
    ~StagedInstall();

    // Copies source beside target, feeding its bytes to hash when given. False when the copy
    // cannot be made (disk full, read-only folder) or when a link or other non-regular file
    // has the target's name (then TargetRefused()).
    bool Stage(const std::string& source, const std::string& target, Sha256* hash = nullptr);
    // Installed, RolledBack (the game folder as it was) or Stuck (see InstallJournal).
    InstallJournal::Outcome Commit();

    bool TargetRefused() const { return targetRefused_; }
    // The target whose staging or commit step failed ("" when it was the journal).
    const std::string& FailedTarget() const { return failedTarget_; }

private:
    std::string gameFolder_;
    std::vector<std::unique_ptr<SafeFile>> files_;
    bool targetRefused_ = false;
    std::string failedTarget_;
};
