#pragma once

// What the backup and restore handlers do to the window: the two buttons and the busy
// cursor. The window implements it; the command line and the tests use a recording or
// silent version.
class BackupControls {
public:
    virtual ~BackupControls() = default;

    virtual void EnableBackupButton(bool enabled) = 0;
    virtual void EnableRestoreButton(bool enabled) = 0;
    virtual void ShowBusyCursor(bool busy) = 0;
};
