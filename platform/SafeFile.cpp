#include "platform/SafeFile.h"

#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/InputFile.h"
#include "platform/Sha256.h"

#include <vector>

namespace {

constexpr const char* kTemporaryMark = ".kp-new";
constexpr int kNameAttempts = 100;

// Steps on a descriptor report no path; the file's is added here.
SystemError WithPath(SystemError error, const std::string& path) {
    if (error.path.empty())
        error.path = path;
    return error;
}

} // namespace

SafeFile::SafeFile(std::string target, Care care) : target_(std::move(target)), care_(care) {}

SafeFile::~SafeFile() {
    if (!committed_ && !kept_)
        Discard();
    else if (descriptor_ >= 0)
        static_cast<void>(CloseFile(descriptor_));
}

std::string SafeFile::TemporaryName(const std::string& target, int attempt) {
    return target + kTemporaryMark + (attempt == 0 ? std::string() : std::to_string(attempt));
}

bool SafeFile::IsTemporaryNameOf(const std::string& name, const std::string& targetName) {
    const std::string stem = targetName + kTemporaryMark;
    if (name.compare(0, stem.size(), stem) != 0)
        return false;
    for (std::size_t i = stem.size(); i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return true;
}

bool SafeFile::Fail(SystemError error) {
    error_ = std::move(error);
    return false;
}

bool SafeFile::Open() {
    if (descriptor_ >= 0)
        return true;
    if (!temporary_.empty() || target_.empty())
        return Fail(SystemError::OfKind(FileFailure::Other, "SafeFile", target_));
    // Any name already taken (a leftover, someone's link) is skipped, never opened.
    SystemError error;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = TemporaryName(target_, attempt);
        descriptor_ = CreateExclusive(candidate, &error);
        if (descriptor_ >= 0) {
            temporary_ = candidate;
            return true;
        }
        if (error.Kind() != FileFailure::Exists)
            break;
    }
    return Fail(error);
}

bool SafeFile::Write(std::string_view bytes) {
    if (descriptor_ < 0 && (staged_ || !Open()))
        return false;
    const FileResult written = WriteFully(descriptor_, bytes.data(), bytes.size());
    return written || Fail(WithPath(written.Error(), temporary_));
}

bool SafeFile::CopyFrom(const std::string& source, Sha256* hash) {
    // The source first, so that a missing one leaves nothing beside the target.
    InputFile input;
    if (!input.Open(source))
        return Fail(input.Error());
    if (descriptor_ < 0 && (staged_ || !Open()))
        return false;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const std::int64_t got = input.Read(buffer.data(), buffer.size());
        if (got < 0)
            return Fail(input.Error());
        if (got == 0)
            return true;
        if (hash)
            hash->Update(buffer.data(), static_cast<std::size_t>(got));
        const FileResult written =
            WriteFully(descriptor_, buffer.data(), static_cast<std::size_t>(got));
        if (!written)
            return Fail(WithPath(written.Error(), temporary_));
    }
}

bool SafeFile::LinkFrom(const std::string& source) {
    if (descriptor_ >= 0 || !temporary_.empty() || target_.empty())
        return Fail(SystemError::OfKind(FileFailure::Other, "SafeFile", target_));
    if (InspectPath(source).kind != PathKind::RegularFile)
        return Fail(SystemError::OfKind(FileFailure::Missing, "link", source));
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = TemporaryName(target_, attempt);
        const FileResult linked = LinkFile(source, candidate);
        if (!linked) {
            if (linked.Kind() != FileFailure::Exists)
                return Fail(linked.Error());
            continue;
        }
        // Opened only so that Stage can flush it.
        SystemError error;
        descriptor_ = OpenForFlushing(candidate, &error);
        if (descriptor_ < 0) {
            static_cast<void>(RemoveFile(candidate));
            return Fail(error);
        }
        temporary_ = candidate;
        return true;
    }
    return Fail(SystemError::OfKind(FileFailure::Exists, "link", TemporaryName(target_, 0)));
}

bool SafeFile::Stage() {
    if (staged_)
        return true;
    if (descriptor_ < 0 && !Open())
        return false;
    const FileResult flushed = care_ == Care::Unflushed ? FileResult() : FlushToDisk(descriptor_);
    const FileResult closed = CloseFile(descriptor_);
    descriptor_ = -1;
    if (!flushed)
        return Fail(WithPath(flushed.Error(), temporary_));
    if (!closed)
        return Fail(WithPath(closed.Error(), temporary_));
    // The folder is flushed too, so the staged name itself survives a crash.
    if (care_ == Care::Flushed)
        if (const FileResult folder = FlushFolder(FolderOf(temporary_)); !folder)
            return Fail(folder.Error());
    staged_ = true;
    return true;
}

bool SafeFile::Commit() {
    return Finish(true);
}

bool SafeFile::CommitRefusing() {
    return Finish(false);
}

bool SafeFile::Finish(bool replacing) {
    if (committed_)
        return true;
    if (!Stage())
        return false;
    if (replacing && !IsReplaceable(target_)) {
        targetRefused_ = true;
        return Fail(SystemError::OfKind(FileFailure::Exists, "SafeFile", target_));
    }
    const FileResult renamed =
        replacing ? RenameReplacing(temporary_, target_) : RenameRefusing(temporary_, target_);
    if (!renamed)
        return Fail(renamed.Error());
    committed_ = true;
    if (care_ == Care::Flushed)
        if (const FileResult folder = FlushFolder(FolderOf(target_)); !folder)
            return Fail(folder.Error());
    return true;
}

void SafeFile::Discard() {
    if (descriptor_ >= 0)
        static_cast<void>(CloseFile(descriptor_));
    descriptor_ = -1;
    if (!temporary_.empty())
        static_cast<void>(RemoveFile(temporary_));
}
