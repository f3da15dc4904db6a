#pragma once
#include <string>
#include <vector>

class Progress;
class Prompts;
class SongProject;
class SongSlot;

struct ImportSongsOptions {
    bool matchLoudness = true;
    int threads = 0;        // 0: one per core
    std::string dataFolder; // where the songs of a never-saved project go
    // 0: the first empty slots. 1 to 16: the slot at that position and the ones after it,
    // whatever they hold (songs dropped on a row of the window).
    int firstPosition = 0;
    // A slot whose title is not "empty slot" keeps it; only the path changes.
    bool keepOwnTitles = false;
};

// What an import did to the project.
struct ImportSongsOutcome {
    enum class Result { AllAdded, SomeRefused, Cancelled, NoFolder };
    Result result = Result::AllAdded;
    std::vector<std::string> lines;    // one per file, in the order given
    std::vector<std::string> newFiles; // songs written by this import
    int added = 0;
};

// The one way songs of any format come into a project, for the window and the command line
// alike: converts the files (in parallel, one per core) into the folder beside the project,
// fills the first empty slots in order (or the slots from a chosen position on), refuses the
// files beyond the last such slot and touches no other slot. Progress and Cancel go through
// `progress`; the outcome, one line per file (and a "Replaced: C (title), ..." line naming
// the songs that filled rows held before), through one message of `prompts` (a success
// message when every file went in). A cancelled import changes nothing and
// leaves no file behind. Saving the project is the caller's business.
class ImportSongs {
public:
    ImportSongs(Prompts& prompts, Progress& progress);

    ImportSongsOutcome Run(SongProject& project, const std::vector<std::string>& files,
                           const ImportSongsOptions& options);

    // "<folder of the project>/<project name> songs", or "<dataFolder>/songs" for a project
    // that has never been saved, in the system's separators.
    static std::string SongFolderFor(const std::string& projectPath, const std::string& dataFolder);
    // A slot with no source and no title of its own.
    static bool IsEmptySlot(const SongSlot& slot);
    // "A: Artist - Title (3:25, gain -4.2 dB)"
    static std::string SongLine(int position, const std::string& title, double seconds,
                                double gainDb, bool inPlace);

private:
    Prompts& prompts_;
    Progress& progress_;
};
