#include "tests/playback/PlaybackFixture.h"

#include "audio/OggDecoder.h"
#include "audio/TrackEncodeJob.h"
#include "common/LittleEndian.h"
#include "platform/NativePath.h"
#include "tests/support/Environment.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

// SDL for Windows reads its variables into one shared buffer, so the disk driver's file name
// from SDL_DISKAUDIOFILE is overwritten by the delay it reads next. The file keeps its default
// name instead, in the working directory, which is the test's folder while it plays.
constexpr const char* kDefaultFileName = "sdlaudio.raw";

DiskOutput::DiskOutput() : previousFolder_(std::filesystem::current_path()) {
    SetEnvironment("SDL_AUDIODRIVER", "disk");
    SetEnvironment("SDL_DISKAUDIODELAY", "0");
    UnsetEnvironment("SDL_DISKAUDIOFILE");
    std::filesystem::current_path(NativePath(folder_.path()));
}

DiskOutput::~DiskOutput() {
    std::filesystem::current_path(previousFolder_);
    UnsetEnvironment("SDL_AUDIODRIVER");
    UnsetEnvironment("SDL_DISKAUDIODELAY");
}

std::vector<std::int16_t> DiskOutput::Played() const {
    return Pcm16Samples(ReadFileBytes(folder_.file(kDefaultFileName)));
}

bool WaitFor(const std::function<bool()>& condition) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool PlayToEnd(std::unique_ptr<PlaybackSource> source) {
    Player player;
    if (!WaitFor([&] { return player.SoundOutput() != Player::Output::Probing; }))
        return false;
    player.Play(std::move(source));
    return WaitFor([&] {
               const Player::State state = player.CurrentState();
               return state == Player::State::Finished || state == Player::State::Failed;
           }) &&
           player.CurrentState() == Player::State::Finished;
}

std::vector<std::int16_t> WithoutEdgeSilence(const std::vector<std::int16_t>& samples) {
    auto first = samples.begin();
    auto last = samples.end();
    while (first != last && *first == 0)
        ++first;
    while (last != first && *(last - 1) == 0)
        --last;
    return {first, last};
}

std::vector<std::int16_t> Pcm16Samples(const std::string& bytes) {
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(
            LittleEndian16(reinterpret_cast<const unsigned char*>(bytes.data()) + 2 * i));
    return samples;
}

std::vector<std::int16_t> Sweep(int frames) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames));
    const double seconds = static_cast<double>(frames) / kTestRate;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kTestRate;
        const double phase = 2 * M_PI * (200 * t + 1400 * t * t / seconds);
        samples[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(std::lround(21845 * std::cos(phase)));
    }
    return samples;
}

std::string WriteWav(const TempFolder& folder, const std::string& name,
                     const std::vector<std::int16_t>& samples) {
    WriteFileBytes(folder.file(name), MakeWav(1, kTestRate, 16, Pcm16Bytes(samples)));
    return folder.file(name);
}

std::string EncodeAsTheBuild(const std::string& wavPath, std::int32_t serial) {
    TrackEncodeJob job;
    job.serialNumber = serial;
    if (!job.Run(wavPath))
        return {};
    return ReadFileBytes(wavPath.substr(0, wavPath.rfind('.')) + ".ogg");
}

std::vector<std::int16_t> BuiltAndInstalled(const std::string& wavPath) {
    EXPECT_NE(EncodeAsTheBuild(wavPath), "");
    const std::string ogg = wavPath.substr(0, wavPath.rfind('.')) + ".ogg";
    const std::string decoded = ogg + ".wav";
    EXPECT_EQ(OggDecoder().decodeFile(ogg, decoded), 0);
    return Pcm16Samples(ReadFileBytes(decoded).substr(44));
}
