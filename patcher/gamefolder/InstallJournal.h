#pragma once
#include "platform/FileResult.h"

#include <optional>
#include <string>
#include <vector>

// Puts a set of staged files in place all together or not at all, even across a crash, in
// the manner of a rollback journal. Before the first change the plan is written and flushed
// to a small journal file; then each staged file is renamed over its target in the order
// added, the target's previous file kept under a second name (a hard link, or a copy where
// the file system has no links or another program has the file open) and the folders flushed
// after every step. Removing the
// journal is the commit's last act, so a journal present means "interrupted": Recover reads it
// and either completes the change (every rename was done) or rolls it back. At every instant
// each target holds its old file or its new one, and the set is never left mixed once
// Commit or Recover has returned.
//
// Journal layout (LF-ended lines, paths relative to the root folder):
//   Palisor install journal 1
//   state install|rollback
//   <1 when the target had a file, else 0> TAB <target> TAB <staged file>
// While a change is in progress, each target's ".kp-old" name holds its previous file (a
// second name or a copy), or an empty file when the target had none: that marker is what
// lets a roll-back remove the new file.
//
// The journal is outside data: anyone who can write to the game folder can forge one. So
// Recover proves it against the disk before it acts, and obeys it only when all of these hold:
//   - it has the layout above, at most 16 entries, each naming a different one of the allowed
//     targets, with its staged file a temporary name of the target in the same folder;
//   - every staged file that is still there is a regular file;
//   - a roll-back puts a ".kp-old" back only when it is a regular file (never a link, folder,
//     pipe or device);
//   - a roll-back removes a target only when the entry says the target had no file AND an
//     empty regular ".kp-old" marker says so too, and the target is a regular file.
// Anything else is Damaged (a folder where a ".kp-old" should be is InTheWay), and nothing at
// all is changed.
class InstallJournal {
public:
    enum class Outcome {
        Nothing,    // Recover: no journal
        Installed,  // Commit: every staged file is in place
        Completed,  // Recover: the interrupted change was finished
        RolledBack, // every target holds its file from before the change
        Stuck,      // a step failed and the roll-back too; the journal stays for the next run
        Damaged,    // Recover: the journal cannot be read, names files it must not touch, or
                    // does not match what is on disk
        InTheWay    // Recover: a folder stands where a ".kp-old" file should be
    };

    struct Entry {
        std::string target; // full paths
        std::string staged;
        bool hadOld = false;
    };

    // root: the folder every journalled path lies in (the game folder).
    InstallJournal(std::string root, std::string journalPath);

    // Plans one rename of a staged file (a flushed temporary name of the target, beside it).
    void Add(const std::string& target, const std::string& staged);
    // Installed, RolledBack (nothing changed in the end) or Stuck.
    Outcome Commit();
    // After a failed Commit: the target whose step failed ("" when the journal could not be
    // written), and why that step failed (the failing call, its path, the system's error; Busy
    // when another program held the file past the retry).
    const std::string& FailedTarget() const { return failedTarget_; }
    const SystemError& Failure() const { return failure_; }

    // Finishes or rolls back what a journal at journalPath records, once proved (see above).
    // Only targets listed in allowedTargets are ever touched. For InTheWay, folderInTheWay
    // (when given) receives the folder's path.
    static Outcome Recover(const std::string& root, const std::string& journalPath,
                           const std::vector<std::string>& allowedTargets,
                           std::string* folderInTheWay = nullptr);

    // The name a target's previous file keeps while a change is in progress.
    static std::string KeptName(const std::string& target);

private:
    FileResult WriteJournal(const char* state) const;
    FileResult ReplaceTarget(const Entry& entry) const;
    bool RollBack() const;
    Outcome ProveRollBack(std::string& folderInTheWay) const;
    void Finish() const;
    std::string Relative(const std::string& path) const;
    static std::optional<InstallJournal> Parse(const std::string& root,
                                               const std::string& journalPath,
                                               const std::string& bytes, std::string& state);

    std::string root_;
    std::string journalPath_;
    std::vector<Entry> entries_;
    std::string failedTarget_;
    SystemError failure_;
};
