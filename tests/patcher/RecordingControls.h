#pragma once
#include "patcher/install/BackupControls.h"

#include <string>
#include <vector>

// Keeps the two button states like the window does and records the busy cursor.
class RecordingControls : public BackupControls {
public:
    void EnableBackupButton(bool enabled) override { backupEnabled = enabled; }
    void EnableRestoreButton(bool enabled) override { restoreEnabled = enabled; }
    void ShowBusyCursor(bool busy) override { cursor.push_back(busy); }

    bool backupEnabled = true;
    bool restoreEnabled = false;
    std::vector<bool> cursor;
};
