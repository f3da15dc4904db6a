// Loads arbitrary bytes as a project file. A read error is an expected outcome; anything the
// sanitizers see, or a huge allocation, is a finding.
#include "builder/SongProject.h"
#include "common/FileError.h"
#include "fuzz/FuzzInputFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SongProject project;
    try {
        project.Load(FuzzInputFile(data, size, "project.velkp"));
    } catch (const FileError&) {
    }
    return 0;
}
