#include "platform/SafeFile.h"

#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/InputFile.h"
#include "platform/Sha256.h"

#include <cerrno>
#include <vector>

namespace {

constexpr const char* kTemporaryMark = ".kp-new";
constexpr int kNameAttempts = 100;

} // namespace

SafeFile::SafeFile(std::string target, Care care) : target_(std::move(target)), care_(care) {}

SafeFile::~SafeFile() {
    if (!committed_ && !kept_)
        Discard();
    else if (descriptor_ >= 0)
        CloseFile(descriptor_);
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

bool SafeFile::Open() {
    if (descriptor_ >= 0)
        return true;
    if (!temporary_.empty() || target_.empty()) {
        errno = EINVAL;
        return false;
    }
    // Any name already taken (a leftover, someone's link) is skipped, never opened.
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = TemporaryName(target_, attempt);
        descriptor_ = CreateExclusive(candidate);
        if (descriptor_ >= 0) {
            temporary_ = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool SafeFile::Write(std::string_view bytes) {
    if (descriptor_ < 0 && (staged_ || !Open()))
        return false;
    return WriteFully(descriptor_, bytes.data(), bytes.size());
}

bool SafeFile::CopyFrom(const std::string& source, Sha256* hash) {
    if (descriptor_ < 0 && (staged_ || !Open()))
        return false;
    InputFile input;
    bool copied = input.Open(source);
    std::vector<char> buffer(copied ? 1 << 20 : 0);
    while (copied) {
        const std::int64_t got = input.Read(buffer.data(), buffer.size());
        if (got <= 0) {
            copied = got == 0;
            break;
        }
        if (hash)
            hash->Update(buffer.data(), static_cast<std::size_t>(got));
        copied = WriteFully(descriptor_, buffer.data(), static_cast<std::size_t>(got));
    }
    const int error = errno;
    input.Close();
    errno = error;
    return copied;
}

bool SafeFile::LinkFrom(const std::string& source) {
    if (descriptor_ >= 0 || !temporary_.empty() || target_.empty() ||
        InspectPath(source).kind != PathKind::RegularFile) {
        errno = EINVAL;
        return false;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = TemporaryName(target_, attempt);
        if (!LinkFile(source, candidate)) {
            if (errno != EEXIST)
                return false;
            continue;
        }
        // Opened only so that Stage can flush it.
        descriptor_ = OpenForFlushing(candidate);
        if (descriptor_ < 0) {
            const int error = errno;
            RemoveFile(candidate);
            errno = error;
            return false;
        }
        temporary_ = candidate;
        return true;
    }
    return false;
}

bool SafeFile::Stage() {
    if (staged_)
        return true;
    if (descriptor_ < 0 && !Open())
        return false;
    const bool flushed = care_ == Care::Unflushed || FlushToDisk(descriptor_);
    const int error = errno;
    const bool closed = CloseFile(descriptor_);
    descriptor_ = -1;
    errno = flushed ? errno : error;
    if (!flushed || !closed)
        return false;
    // The folder is flushed too, so the staged name itself survives a crash.
    staged_ = care_ == Care::Unflushed || FlushFolder(FolderOf(temporary_));
    return staged_;
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
        errno = EEXIST;
        return false;
    }
    const bool renamed =
        replacing ? RenameReplacing(temporary_, target_) : RenameRefusing(temporary_, target_);
    if (!renamed)
        return false;
    committed_ = true;
    return care_ == Care::Unflushed || FlushFolder(FolderOf(target_));
}

void SafeFile::Discard() {
    const int error = errno;
    if (descriptor_ >= 0)
        CloseFile(descriptor_);
    descriptor_ = -1;
    if (!temporary_.empty())
        RemoveFile(temporary_);
    errno = error;
}
