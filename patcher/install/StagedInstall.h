#pragma once
#include "patcher/gamefolder/GameFolder.h"
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
    explicit StagedInstall(GameFolder game);
    ~StagedInstall();

    // Copies source beside target, feeding its bytes to hash when given. False when the copy
    // cannot be made (disk full, read-only folder) or when a link or other non-regular file
    // has the target's name (then TargetRefused()).
    bool Stage(const std::string& source, const std::string& target, Sha256* hash = nullptr);
    // Installed, RolledBack (the game folder as it was) or Stuck (see InstallJournal).
    InstallJournal::Outcome Commit();

    bool TargetRefused() const { return targetRefused_; }
    // The target whose staging or commit step failed ("" when it was the journal), and why that
    // step failed: the failing call, its path (the source when it could not be read) and the
    // system's error, Busy when another program held the file past the retry.
    const std::string& FailedTarget() const { return failedTarget_; }
    const SystemError& Failure() const { return failure_; }

private:
    GameFolder game_;
    std::vector<std::unique_ptr<SafeFile>> files_;
    bool targetRefused_ = false;
    std::string failedTarget_;
    SystemError failure_;
};
