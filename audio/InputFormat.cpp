#include "audio/InputFormat.h"

#include "audio/AiffReader.h"
#include "audio/WavReader.h"

#include <vector>

namespace {

void releaseReader(std::unique_ptr<PcmFileReader>& readerState) {
    readerState.reset();
}

} // namespace

const InputFormat InputFormatTable[] = {
    {identifyWav, 12, openWav, releaseReader, "wav", "WAV file reader"},
    {identifyAiff, 12, openAiff, releaseReader, "aiff", "AIFF/AIFC file reader"},
    {nullptr, 0, nullptr, nullptr, nullptr, nullptr},
};

const InputFormat* openAudioFile(std::FILE* stream, AudioSource& source) {
    std::vector<unsigned char> header;
    std::size_t filled = 0;
    for (const InputFormat* row = InputFormatTable; row->identify != nullptr; ++row) {
        const auto needed = static_cast<std::size_t>(row->headerBytes);
        if (needed > header.size())
            header.resize(needed);
        if (header.size() > filled) {
            filled += std::fread(header.data() + filled, 1, header.size() - filled, stream);
            if (filled < header.size()) { // the file is shorter than this header
                header.resize(filled);
                continue;
            }
        }
        const int count = static_cast<int>(filled);
        if (row->identify(header.data(), count) && row->open(stream, source, header.data(), count))
            return row;
    }
    return nullptr;
}
