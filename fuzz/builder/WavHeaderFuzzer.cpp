// Probes arbitrary bytes as a song's WAV header.
#include "builder/WavHeaderReader.h"
#include "fuzz/FuzzInputFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WavHeaderReader reader;
    reader.Open(FuzzInputFile(data, size, "song.wav"));
    return 0;
}
