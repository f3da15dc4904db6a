#pragma once
#include <cstdint>
#include <string>

class SafeFile;

// Writes a mono 16-bit PCM WAV file at 44,100 Hz through a SafeFile: the 44-byte header the
// builder's probe expects ("RIFF", "WAVE", "fmt " of 16 bytes, then "data"), sized for the
// samples announced, then the samples. Every call returns false once a write has failed.
class MonoWavWriter {
public:
    static constexpr std::uint32_t kSampleRate = 44100;
    static constexpr std::uint32_t kHeaderBytes = 44;
    // The most samples a WAV file's 32-bit sizes can hold.
    static constexpr std::uint64_t kMaxSamples = (0xFFFFFFFFull - kHeaderBytes) / 2;

    MonoWavWriter(SafeFile& file, std::uint64_t samples);

    // Writes the header; false when the samples do not fit a WAV file.
    bool Begin();
    bool Write(const std::int16_t* samples, std::size_t count);
    // Writes what is buffered; false when the samples written are not those announced.
    bool Finish();

private:
    bool Flush();

    SafeFile& file_;
    const std::uint64_t announced_;
    std::uint64_t written_ = 0;
    std::string buffer_;
    bool ok_ = true;
};
