#include "tests/audio/OggFixture.h"

#include "audio/SampleReading.h"
#include "audio/VorbisEncoder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <vorbis/vorbisfile.h>

int AppendOggTone(std::FILE* output, int channels, int rate, int frames, std::int32_t serial,
                  float quality) {
    std::FILE* pcm = std::tmpfile();
    if (!pcm)
        return 1;
    std::string bytes = Pcm16Bytes(ToneSamples(channels, rate, frames, 440.0));
    std::fwrite(bytes.data(), 1, bytes.size(), pcm);
    std::rewind(pcm);
    PcmFileReader reader{static_cast<std::int16_t>(channels), 16, 0, 0, pcm, 0};
    EncoderSettings s;
    s.read = readPcmFrames;
    s.readerState = &reader;
    s.channels = channels;
    s.rate = rate;
    s.quality = quality;
    s.serialNumber = serial;
    s.output = output;
    int result = encodeStream(s);
    std::fclose(pcm);
    return result;
}

bool WriteOggTone(const std::string& path, int channels, int rate, int frames,
                  std::int32_t serial) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    int result = AppendOggTone(out, channels, rate, frames, serial);
    return std::fclose(out) == 0 && result == 0;
}

OggFacts InspectOgg(const std::string& path) {
    OggFacts facts;
    std::string bytes = ReadFileBytes(path);
    if (bytes.size() < 18)
        return facts;
    for (int i = 0; i < 4; ++i)
        facts.serial |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[14 + i]))
                        << (8 * i);
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0)
        return facts;
    facts.opened = true;
    facts.frames = ov_pcm_total(&vf, -1);
    facts.channels = ov_info(&vf, -1)->channels;
    facts.rate = ov_info(&vf, -1)->rate;
    facts.comments = ov_comment(&vf, -1)->comments;
    ov_clear(&vf);
    return facts;
}
