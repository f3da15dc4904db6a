#pragma once
#include "playback/PlaybackSource.h"
#include "playback/Player.h"
#include "tests/support/TempFolder.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// SDL's disk driver for the players of one test: every device writes the samples it is given
// (signed 16-bit, the machine's byte order) to one file, with no pause between buffers. The
// test's folder is the working directory meanwhile.
class DiskOutput {
public:
    DiskOutput();
    ~DiskOutput();
    DiskOutput(const DiskOutput&) = delete;
    DiskOutput& operator=(const DiskOutput&) = delete;

    // What the last device opened was given, read once its player is gone.
    std::vector<std::int16_t> Played() const;

private:
    TempFolder folder_;
    std::filesystem::path previousFolder_;
};

// Asks until the condition holds; false after a minute (a hang, not a slow machine).
bool WaitFor(const std::function<bool()>& condition);

// Plays the source to its end with a fresh player; false when the player never got there.
bool PlayToEnd(std::unique_ptr<PlaybackSource> source);

// The samples between the first and the last that are not 0.
std::vector<std::int16_t> WithoutEdgeSilence(const std::vector<std::int16_t>& samples);

// The little-endian 16-bit samples of bytes.
std::vector<std::int16_t> Pcm16Samples(const std::string& bytes);

// The songs of the tests are mono at this rate.
constexpr int kTestRate = 22050;

// A sweep from 200 to 3000 Hz at two thirds of full scale: neighbouring samples differ, so a
// comparison that is shifted or cut short fails.
std::vector<std::int16_t> Sweep(int frames);

// A mono 16-bit WAV of the samples at kTestRate in the folder; returns its path.
std::string WriteWav(const TempFolder& folder, const std::string& name,
                     const std::vector<std::int16_t>& samples);

// Encodes a WAV file as the build does, into the same name with ".ogg", under the given Ogg
// serial number; returns the Ogg file's bytes (empty when the encode failed).
std::string EncodeAsTheBuild(const std::string& wavPath, std::int32_t serial = 7);

// The song as the build encodes it, then as the patcher decodes it for the game.
std::vector<std::int16_t> BuiltAndInstalled(const std::string& wavPath);
