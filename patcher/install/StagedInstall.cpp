#include "patcher/install/StagedInstall.h"

#include "platform/FileOps.h"
#include "platform/SafeFile.h"

StagedInstall::StagedInstall(GameFolder game) : game_(std::move(game)) {}

StagedInstall::~StagedInstall() = default;

bool StagedInstall::Stage(const std::string& source, const std::string& target, Sha256* hash) {
    failedTarget_ = target;
    if (!IsReplaceable(target)) {
        targetRefused_ = true;
        failure_ = SystemError::OfKind(FileFailure::Exists, "SafeFile", target);
        return false;
    }
    auto file = std::make_unique<SafeFile>(target);
    // On the work folder's file system the finished file takes its place without a copy.
    const bool placed = (!hash && file->LinkFrom(source)) || file->CopyFrom(source, hash);
    if (!placed || !file->Stage()) {
        failure_ = file->Error();
        return false;
    }
    files_.push_back(std::move(file));
    failedTarget_.clear();
    return true;
}

InstallJournal::Outcome StagedInstall::Commit() {
    InstallJournal journal(game_.Path(), game_.JournalFile());
    for (auto& file : files_) {
        journal.Add(file->Target(), file->TemporaryPath());
        file->Keep(); // from here on the journal removes them if need be
    }
    const auto outcome = journal.Commit();
    failedTarget_ = journal.FailedTarget();
    failure_ = journal.Failure();
    return outcome;
}
