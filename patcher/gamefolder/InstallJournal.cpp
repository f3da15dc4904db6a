#include "patcher/gamefolder/InstallJournal.h"

#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/SafeFile.h"
#include "platform/SmallFileReader.h"

#include <algorithm>

namespace {

constexpr const char* kFirstLine = "Palisor install journal 1";
constexpr std::size_t kMostBytes = 65536;
constexpr std::size_t kMostEntries = 16;

bool Exists(const std::string& path) {
    const PathKind kind = InspectPath(path).kind;
    return kind != PathKind::Missing && kind != PathKind::Unknown;
}

bool IsRegularFile(const std::string& path) {
    return InspectPath(path).kind == PathKind::RegularFile;
}

bool IsFolder(const std::string& path) {
    return InspectPath(path).kind == PathKind::Folder;
}

bool IsEmptyRegularFile(const std::string& path) {
    const PathInfo info = InspectPath(path);
    return info.kind == PathKind::RegularFile && info.size == 0;
}

// A relative path of the journal in the system's form below root, as the game folder's own
// paths are joined.
std::string BelowRoot(const std::string& root, const std::string& relative) {
    std::string path = root;
    for (std::size_t start = 0; start <= relative.size();) {
        const auto slash = std::min(relative.find('/', start), relative.size());
        path = JoinPath(path, relative.substr(start, slash - start));
        start = slash + 1;
    }
    return path;
}

// A path inside the root: no leading "/", no empty, "." or ".." component, no control bytes,
// and "/" its only separator (a backslash would separate too on Windows).
bool IsPlainRelativePath(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.back() == '/' ||
        path.find('\\') != std::string::npos)
        return false;
    std::size_t start = 0;
    for (;;) {
        const auto slash = path.find('/', start);
        const std::string part = path.substr(start, slash - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return std::none_of(path.begin(), path.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find('\n', start);
        if (end == std::string::npos)
            return {}; // a cut-short last line: not a journal this program wrote
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The empty file that records, beside a target, that the target had no file before.
// Empty, it needs no flush of its own: the folder's flush that follows makes it last.
FileResult MarkNoOldFile(const std::string& kept) {
    SystemError error;
    const int descriptor = CreateExclusive(kept, &error);
    if (descriptor < 0)
        return error;
    if (const FileResult closed = CloseFile(descriptor); !closed)
        return closed;
    return {};
}

// Keeps a second name for a target's current file: a hard link, or a flushed copy where the
// file system has no links. A file another program has open gets a copy too: a link to it could
// not be removed while that program holds it, so a failed change would leave it behind.
FileResult KeepOldFile(const std::string& target, const std::string& kept) {
    if (!OpenByAnother(target)) {
        const FileResult linked = LinkFile(target, kept);
        if (linked || (linked.Kind() != FileFailure::Unsupported &&
                       linked.Kind() != FileFailure::Refused))
            return linked;
    }
    SafeFile copy(kept);
    if (copy.CopyFrom(target) && copy.CommitRefusing())
        return {};
    return copy.Error();
}

} // namespace

InstallJournal::InstallJournal(std::string root, std::string journalPath)
    : root_(std::move(root)), journalPath_(std::move(journalPath)) {}

std::string InstallJournal::KeptName(const std::string& target) {
    return target + ".kp-old";
}

void InstallJournal::Add(const std::string& target, const std::string& staged) {
    entries_.push_back({target, staged, IsRegularFile(target)});
}

// The journal names paths below its root with "/" on every system.
std::string InstallJournal::Relative(const std::string& path) const {
    std::string relative = path.substr(root_.size() + 1);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return relative;
}

FileResult InstallJournal::WriteJournal(const char* state) const {
    std::string text = std::string(kFirstLine) + "\nstate " + state + "\n";
    for (const auto& entry : entries_)
        text += std::string(entry.hadOld ? "1" : "0") + "\t" + Relative(entry.target) + "\t" +
                Relative(entry.staged) + "\n";
    SafeFile journal(journalPath_);
    if (journal.Write(text) && journal.Commit())
        return {};
    return journal.Error();
}

InstallJournal::Outcome InstallJournal::Commit() {
    const auto outsideRoot = [this](const Entry& entry) {
        const auto inside = [this](const std::string& path) {
            return path.size() > root_.size() + 1 && path.compare(0, root_.size(), root_) == 0 &&
                   (path[root_.size()] == '/' || path[root_.size()] == '\\');
        };
        return !inside(entry.target) || !inside(entry.staged);
    };
    if (std::any_of(entries_.begin(), entries_.end(), outsideRoot))
        failure_ = SystemError::OfKind(FileFailure::Other, "InstallJournal", journalPath_);
    else if (const FileResult written = WriteJournal("install"); !written)
        failure_ = written.Error();
    if (failure_.code != 0) {
        // Nothing was changed yet; a journal that was renamed into place but not flushed goes.
        RemoveFile(journalPath_);
        for (const auto& entry : entries_)
            RemoveFile(entry.staged);
        return Outcome::RolledBack;
    }
    for (const auto& entry : entries_) {
        if (const FileResult replaced = ReplaceTarget(entry); !replaced) {
            failedTarget_ = entry.target;
            failure_ = replaced.Error();
            return RollBack() ? Outcome::RolledBack : Outcome::Stuck;
        }
    }
    Finish();
    return Outcome::Installed;
}

FileResult InstallJournal::ReplaceTarget(const Entry& entry) const {
    const std::string folder = FolderOf(entry.target);
    const std::string kept = KeptName(entry.target);
    if (Exists(kept))
        RemoveFile(kept); // a leftover of an earlier run, no longer needed
    if (FileResult keptOld = entry.hadOld ? KeepOldFile(entry.target, kept) : MarkNoOldFile(kept);
        !keptOld)
        return keptOld;
    if (FileResult flushed = FlushFolder(folder); !flushed)
        return flushed;
    if (FileResult renamed = RenameReplacing(entry.staged, entry.target); !renamed)
        return renamed;
    return FlushFolder(folder);
}

bool InstallJournal::RollBack() const {
    // Recorded first, so an interrupted roll-back is taken up again rather than completed.
    if (!WriteJournal("rollback"))
        return false;
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        const std::string kept = KeptName(entry->target);
        const std::string folder = FolderOf(entry->target);
        if (Exists(entry->staged)) { // never renamed: the target still holds its old file
            RemoveFile(entry->staged);
            if (IsRegularFile(kept))
                RemoveFile(kept);
        } else if (entry->hadOld) {
            if (Exists(kept) && (!RenameReplacing(kept, entry->target) || !FlushFolder(folder)))
                return false;
        } else {
            // The marker goes only after the new file, so an interrupted roll-back still knows.
            if (Exists(entry->target) &&
                (!RemoveFile(entry->target) || !FlushFolder(folder)))
                return false;
            if (IsRegularFile(kept))
                RemoveFile(kept);
        }
    }
    return RemoveFile(journalPath_) && FlushFolder(FolderOf(journalPath_));
}

void InstallJournal::Finish() const {
    for (const auto& entry : entries_)
        if (IsRegularFile(KeptName(entry.target)))
            RemoveFile(KeptName(entry.target));
    // The commit's last act. Should it not reach the disk, the next run completes again.
    if (RemoveFile(journalPath_))
        FlushFolder(FolderOf(journalPath_));
}

std::optional<InstallJournal> InstallJournal::Parse(const std::string& root,
                                                    const std::string& journalPath,
                                                    const std::string& bytes, std::string& state) {
    const auto lines = SplitLines(bytes);
    if (lines.size() < 3 || lines.size() > kMostEntries + 2 || lines[0] != kFirstLine)
        return std::nullopt;
    if (lines[1] != "state install" && lines[1] != "state rollback")
        return std::nullopt;
    state = lines[1].substr(6);
    InstallJournal journal(root, journalPath);
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const auto tab1 = line.find('\t');
        const auto tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab1 != 1 || tab2 == std::string::npos || (line[0] != '0' && line[0] != '1'))
            return std::nullopt;
        const std::string target = line.substr(2, tab2 - 2);
        const std::string staged = line.substr(tab2 + 1);
        if (!IsPlainRelativePath(target) || !IsPlainRelativePath(staged) ||
            FolderOf(target) != FolderOf(staged) ||
            !SafeFile::IsTemporaryNameOf(FileNameOf(staged), FileNameOf(target)))
            return std::nullopt;
        const std::string fullTarget = BelowRoot(root, target);
        if (std::any_of(journal.entries_.begin(), journal.entries_.end(),
                        [&](const Entry& entry) { return entry.target == fullTarget; }))
            return std::nullopt; // one target, one entry
        journal.entries_.push_back({fullTarget, BelowRoot(root, staged), line[0] == '1'});
    }
    return journal;
}

InstallJournal::Outcome InstallJournal::ProveRollBack(std::string& folderInTheWay) const {
    for (const auto& entry : entries_) {
        const std::string kept = KeptName(entry.target);
        if (Exists(entry.staged)) {
            if (!IsRegularFile(entry.staged))
                return Outcome::Damaged;
            continue; // only the staged file and the target's second name go
        }
        const bool putsBack = entry.hadOld && Exists(kept);
        const bool removes = !entry.hadOld && Exists(entry.target);
        if ((putsBack || removes) && IsFolder(kept)) {
            folderInTheWay = kept;
            return Outcome::InTheWay;
        }
        if (putsBack && !IsRegularFile(kept))
            return Outcome::Damaged;
        if (removes && (!IsEmptyRegularFile(kept) || !IsRegularFile(entry.target)))
            return Outcome::Damaged;
    }
    return Outcome::RolledBack;
}

InstallJournal::Outcome InstallJournal::Recover(const std::string& root,
                                                const std::string& journalPath,
                                                const std::vector<std::string>& allowedTargets,
                                                std::string* folderInTheWay) {
    if (!Exists(journalPath))
        return Outcome::Nothing;
    const auto bytes = SmallFileReader::Read(journalPath, kMostBytes);
    std::string state;
    auto journal = bytes ? Parse(root, journalPath, *bytes, state) : std::nullopt;
    if (!journal)
        return Outcome::Damaged;
    for (const auto& entry : journal->entries_)
        if (std::find(allowedTargets.begin(), allowedTargets.end(), entry.target) ==
            allowedTargets.end())
            return Outcome::Damaged;
    const bool everyRenameDone =
        std::none_of(journal->entries_.begin(), journal->entries_.end(),
                     [](const Entry& entry) { return Exists(entry.staged); });
    if (state == "install" && everyRenameDone) {
        journal->Finish();
        return Exists(journalPath) ? Outcome::Stuck : Outcome::Completed;
    }
    std::string inTheWay;
    const Outcome proof = journal->ProveRollBack(inTheWay);
    if (proof != Outcome::RolledBack) {
        if (folderInTheWay)
            *folderInTheWay = inTheWay;
        return proof;
    }
    return journal->RollBack() ? Outcome::RolledBack : Outcome::Stuck;
}
