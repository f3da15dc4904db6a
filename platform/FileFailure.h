#pragma once

// Why a call of the file layer failed, in the few kinds callers act on. Every failing call of
// the layer sets errno on both systems (on Windows the system's error is mapped to the nearest
// errno value), so the kind is read from errno right after the failure.
enum class FileFailure {
    None,
    Missing, // nothing has the name, or a folder on the way is missing
    Exists,  // the name is taken
    Busy,    // another program holds the file open (on Windows, a sharing or lock violation)
    NoSpace, // the disk is full
    Refused, // no permission, or a read-only file system
    Other,
};

// The kind of an errno value (0 is None).
FileFailure FileFailureOf(int error);

// The kind of the current errno.
FileFailure LastFileFailure();
