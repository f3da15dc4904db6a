#pragma once
#include <optional>
#include <string>
#include <vector>

// Puts a set of staged files in place all together or not at all, even across a crash, in
// the manner of a rollback journal. Before the first change the plan is written and flushed
// to a small journal file; then each staged file is renamed over its target in the order
// added, the target's previous file kept under a second name (a hard link, or a copy where
// the file system has no links) and the folders flushed after every step. Removing the
// journal is the commit's last act, so a journal present means "interrupted": Recover reads it
// and either completes the change (every rename was done) or rolls it back. At every instant
// each target holds its old file or its new one, and the set is never left mixed once
// Commit or Recover has returned.
//
// Journal layout (LF-ended lines, paths relative to the root folder):
//   Palisor install journal 1
//   state install|rollback
//   <1 when the target had a file, else 0> TAB <target> TAB <staged file>
class InstallJournal {
public:
    enum class Outcome {
        Nothing,    // Recover: no journal
        Installed,  // Commit: every staged file is in place
        Completed,  // Recover: the interrupted change was finished
        RolledBack, // every target holds its file from before the change
        Stuck,      // a step failed and the roll-back too; the journal stays for the next run
        Damaged     // Recover: the journal cannot be read or names files it must not touch
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
    // written).
    const std::string& FailedTarget() const { return failedTarget_; }

    // Finishes or rolls back what a journal at journalPath records. Only targets listed in
    // allowedTargets are ever touched; anything else makes the journal Damaged.
    static Outcome Recover(const std::string& root, const std::string& journalPath,
                           const std::vector<std::string>& allowedTargets);

    // The name a target's previous file keeps while a change is in progress.
    static std::string KeptName(const std::string& target);

private:
    bool WriteJournal(const char* state) const;
    bool ReplaceTarget(const Entry& entry) const;
    bool RollBack() const;
    void Finish() const;
    std::string Relative(const std::string& path) const;
    static std::optional<InstallJournal> Parse(const std::string& root,
                                               const std::string& journalPath,
                                               const std::string& bytes, std::string& state);

    std::string root_;
    std::string journalPath_;
    std::vector<Entry> entries_;
    std::string failedTarget_;
};
