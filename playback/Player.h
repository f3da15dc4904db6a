#pragma once
#include "playback/PlaybackSource.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class SampleRing;
class SdlAudio;

// What the windows show, with their player's controls disabled, when there is no sound output.
inline constexpr const char* kNoSoundOutput = "No sound output";

// Plays one source at a time through the system's sound output (SDL2's audio), for a
// controller to drive and a window to poll with a timer. Every call may come from any thread
// and returns at once: the caller never waits for decoding or for the device beyond a short
// lock. The player's one worker thread finds out whether there is sound output, opens and
// closes the device and decodes ahead; it lives as long as the player.
class Player {
public:
    enum class Output {
        Probing,    // the worker is still finding out (a sound server may keep it waiting)
        Available,  // a device could be opened
        Unavailable // no driver, server or device: show kNoSoundOutput and disable the controls
    };
    enum class State {
        Idle,     // nothing loaded (at first, and after Stop)
        Starting, // waiting for the device and the first decoded block
        Playing,
        Paused,
        Finished, // played to the end; the source stays for Seek and Resume
        Failed    // Problem() says why; nothing plays until the next Play
    };

    // Starts the worker, which first finds out whether there is sound output.
    Player();
    // Stops, closes the device and ends the worker.
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    Output SoundOutput() const;

    // Plays source from seconds on (clamped to the song), replacing whatever was loaded: the
    // state becomes Starting, then Playing once sound starts. With Output Unavailable, or when
    // the device cannot be opened, the state becomes Failed with Problem() kNoSoundOutput; a
    // source that cannot be read on fails with its own Problem(). A null source stops.
    void Play(std::unique_ptr<PlaybackSource> source, double seconds = 0);
    // Playing or Starting becomes Paused; otherwise nothing happens.
    void Pause();
    // Paused plays on; Finished plays again from the start; otherwise nothing happens.
    void Resume();
    // Drops the source: Idle, position and duration 0. Sound stops within one device buffer.
    void Stop();
    // Moves to seconds (clamped to the song) while a source is loaded; Playing plays on from
    // there, Paused stays paused there, Finished becomes Paused there.
    void Seek(double seconds);

    State CurrentState() const;
    // Seconds from the song's start of the next sample handed to the device.
    double Position() const;
    // The song's length in seconds; 0 when Idle.
    double Duration() const;
    // Why the state is Failed; empty otherwise.
    std::string Problem() const;

private:
    static void FillDevice(void* self, std::int16_t* samples, int count);
    void Fill(std::int16_t* samples, int count);
    void Work();
    void TakeNewSource(std::unique_lock<std::mutex>& lock);
    void StartSound(std::unique_lock<std::mutex>& lock);
    void CloseDevice(std::unique_lock<std::mutex>& lock);
    void DecodeBlock(std::unique_lock<std::mutex>& lock);
    bool MayStartSound() const;
    bool MayDecode() const;
    void Fail(const std::string& problem);
    // Forgets the buffered samples, whose song or position is no longer wanted.
    void Restart(std::int64_t frame);
    std::int64_t FrameAt(double seconds) const;

    // Shared, under mutex_.
    mutable std::mutex mutex_;
    std::condition_variable workerWake_;   // the worker has something to do
    std::condition_variable samplesReady_; // the device's fill may go on
    Output output_ = Output::Probing;
    State state_ = State::Idle;
    std::string problem_;
    bool quit_ = false;
    bool replace_ = false; // Play or Stop: the worker takes pendingSource_ (null after Stop)
    std::unique_ptr<PlaybackSource> pendingSource_;
    std::int64_t seekFrame_ = -1;  // where the worker is to read on, or -1
    std::uint64_t generation_ = 0; // changes whenever buffered samples become stale
    std::unique_ptr<SampleRing> ring_;
    bool sourceEnded_ = false; // the worker read the source to its end
    bool deviceOpen_ = false;
    std::int32_t deviceRate_ = 0; // of the open device
    bool closing_ = false;        // the worker is closing the device: the fill must not wait
    std::int64_t positionFrame_ = 0;
    std::int64_t durationFrames_ = 0;
    std::int32_t rate_ = 0;

    // The worker's own.
    std::unique_ptr<PlaybackSource> source_;
    std::unique_ptr<SdlAudio> audio_;
    std::vector<float> decoded_;
    std::vector<std::int16_t> pcm_;

    std::thread worker_; // last: started once everything above exists
};
