#pragma once

// Why a call of the platform layer failed, in the few kinds callers act on. Each system's
// table (SystemErrorTable.h) gives the kind of each of its error codes; callers read it from
// the failing call's result (SystemError::Kind), never from errno.
enum class FileFailure {
    None,
    Missing,     // nothing has the name, or a folder on the way is missing
    Exists,      // the name is taken
    Busy,        // another program holds the file open (on Windows, a sharing or lock violation)
    NoSpace,     // the disk is full
    Refused,     // no permission, or a read-only file system
    Unsupported, // the file system cannot do it (hard links, or across file systems)
    Other,
};
