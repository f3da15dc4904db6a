#pragma once
#include <cstdint>
#include <vector>

class StagedFile;

// Writes a mono 16-bit PCM WAV file at 44,100 Hz onto a staged file: the 44-byte header the
// builder's probe expects ("RIFF", "WAVE", "fmt " of 16 bytes, then "data"), then the
// samples. Every call returns false once a write has failed.
class MonoWavWriter {
public:
    static constexpr std::uint32_t kSampleRate = 44100;
    static constexpr std::uint32_t kHeaderBytes = 44;

    explicit MonoWavWriter(StagedFile& file);

    // Writes the header with sizes still zero.
    bool Begin();
    bool Write(const std::int16_t* samples, std::size_t count);
    // Writes what is buffered and fills in the sizes.
    bool Finish();

    std::uint64_t samplesWritten() const { return samples_; }

private:
    bool Flush();

    StagedFile& file_;
    std::vector<unsigned char> buffer_;
    std::uint64_t samples_ = 0;
    bool ok_ = true;
};
