#pragma once
#include "common/Prompts.h"
#include "platform/FolderLock.h"

#include <string>

// Palisor's hold on its work folder for as long as it runs: a lock that keeps a second Palisor
// from emptying it under the first, then the folder emptied for this run.
class WorkFolderSession {
public:
    // Takes the lock (work.lock beside the work folder) and empties the work folder. False,
    // with a message, when another Palisor holds it or the folder cannot be created; the
    // other Palisor's work is never touched.
    bool Begin(const std::string& baseFolder, Prompts& prompts);
    // Lets the lock go, so that a Palisor started in this one's place can take it.
    void End() { lock_.Unlock(); }

private:
    FolderLock lock_;
};
