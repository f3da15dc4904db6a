#pragma once
#include "platform/SystemError.h"

#include <string>
#include <string_view>

class Sha256;

// Writes a finished file aside and puts it in place with one rename, so a reader (or the
// player after a crash) sees the old file or the new one, never a part. The bytes go to a
// fresh temporary name beside the target, created exclusively and never through a link; they
// are flushed to disk, renamed over the target, and the folder is flushed after. A link, a
// folder or any other non-regular file at the target is never replaced or followed.
// A SafeFile that is neither committed nor kept removes its temporary file when it goes.
// Every call returns false on failure and shows nothing; Error() then tells why.
// On Windows the same steps are CreateFileW(CREATE_NEW), FlushFileBuffers and MoveFileExW
// (MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), never through a reparse point.
class SafeFile {
public:
    // Flushed: survives a crash once committed. Unflushed: for work folders, which every run
    // empties anyway; same names and renames, no flushes.
    enum class Care { Flushed, Unflushed };

    explicit SafeFile(std::string target, Care care = Care::Flushed);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Creates the temporary file. Fails when the folder is missing or not writable.
    bool Open();
    bool Write(std::string_view bytes);
    // Appends a regular file's bytes (opening first when needed), feeding them to hash too.
    bool CopyFrom(const std::string& source, Sha256* hash = nullptr);
    // Gives a finished regular file of ours the temporary name (a hard link) instead of
    // copying its bytes. False (EXDEV across file systems, for one) when it cannot; the
    // caller then copies. Nothing may write to the source afterwards.
    bool LinkFrom(const std::string& source);
    // Flushes and closes the temporary file; it stays under its temporary name.
    bool Stage();
    // Stage, then rename over the target and flush the folder. Refused (TargetRefused) when
    // something other than a regular file has the target's name. A target another program
    // holds open is tried again for a moment (HeldFileRetry.h) before it fails as Busy.
    bool Commit();
    // As Commit, but fails when anything at all has the target's name.
    bool CommitRefusing();
    // The staged file now belongs to the caller (an install journal renames it later).
    void Keep() { kept_ = true; }

    const std::string& Target() const { return target_; }
    const std::string& TemporaryPath() const { return temporary_; }
    bool TargetRefused() const { return targetRefused_; }
    // Why the last call that returned false failed (the failing call, its path, the system's
    // error).
    const SystemError& Error() const { return error_; }

    // The temporary names tried for a target, in order (attempt 0, 1, ...).
    static std::string TemporaryName(const std::string& target, int attempt);
    // True when a file name is one of the temporary names of a target's file name.
    static bool IsTemporaryNameOf(const std::string& name, const std::string& targetName);

private:
    bool Finish(bool replacing);
    void Discard();
    bool Fail(SystemError error);

    std::string target_;
    std::string temporary_;
    Care care_;
    int descriptor_ = -1;
    bool staged_ = false;
    bool committed_ = false;
    bool kept_ = false;
    bool targetRefused_ = false;
    SystemError error_;
};
