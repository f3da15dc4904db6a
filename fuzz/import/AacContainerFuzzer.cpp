// Any bytes as an MP4 file and as an ADTS stream, from memory: the readers must refuse or
// describe frames that lie within the bytes, never crash, loop or allocate without bound.
#include "import/AdtsReader.h"
#include "import/MemoryBytes.h"
#include "import/Mp4Reader.h"

#include <cstdlib>

namespace {

void CheckFrames(const AacTrack& track, std::size_t size) {
    for (const AacFrame& frame : track.frames)
        if (frame.offset > size || frame.size > size - frame.offset)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryBytes bytes(data, size);
    AacTrack mp4;
    if (Mp4Reader::Read(bytes, mp4) == ImportProblem::None)
        CheckFrames(mp4, size);
    AacTrack adts;
    if (AdtsReader::Read(bytes, adts) == ImportProblem::None)
        CheckFrames(adts, size);
    return 0;
}
