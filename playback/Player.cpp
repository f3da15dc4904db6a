#include "playback/Player.h"

#include "playback/Pcm16.h"
#include "playback/SampleRing.h"
#include "playback/SdlAudio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace {

// Samples decoded at a time; the first block starts the sound.
constexpr std::int64_t kBlockFrames = 2048;
// Decoded ahead of the device: about a second and a half at 44,100 Hz.
constexpr std::size_t kRingSamples = std::size_t{1} << 16;

} // namespace

Player::Player()
    : ring_(std::make_unique<SampleRing>(kRingSamples)), decoded_(kBlockFrames),
      pcm_(kBlockFrames) {
    worker_ = std::thread([this] { Work(); });
}

Player::~Player() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    workerWake_.notify_all();
    worker_.join();
}

Player::Output Player::SoundOutput() const {
    std::lock_guard lock(mutex_);
    return output_;
}

void Player::Play(std::unique_ptr<PlaybackSource> source, double seconds) {
    if (!source) {
        Stop();
        return;
    }
    std::unique_ptr<PlaybackSource> unplayed; // released after the lock
    {
        std::lock_guard lock(mutex_);
        rate_ = source->Rate();
        durationFrames_ = std::max<std::int64_t>(source->Frames(), 0);
        unplayed = std::exchange(pendingSource_, std::move(source));
        replace_ = true;
        problem_.clear();
        Restart(FrameAt(seconds));
        state_ = State::Starting;
        if (output_ == Output::Unavailable)
            Fail(kNoSoundOutput);
    }
    workerWake_.notify_all();
}

void Player::Pause() {
    std::lock_guard lock(mutex_);
    if (state_ == State::Playing || state_ == State::Starting) {
        state_ = State::Paused;
        samplesReady_.notify_all();
    }
}

void Player::Resume() {
    {
        std::lock_guard lock(mutex_);
        if (state_ == State::Paused) {
            state_ = deviceOpen_ ? State::Playing : State::Starting;
        } else if (state_ == State::Finished) {
            Restart(0);
            state_ = State::Starting;
        } else {
            return;
        }
    }
    workerWake_.notify_all();
}

void Player::Stop() {
    std::unique_ptr<PlaybackSource> unplayed;
    {
        std::lock_guard lock(mutex_);
        unplayed = std::move(pendingSource_);
        replace_ = true;
        state_ = State::Idle;
        problem_.clear();
        Restart(0);
        seekFrame_ = -1;
        durationFrames_ = 0;
        samplesReady_.notify_all();
    }
    workerWake_.notify_all();
}

void Player::Seek(double seconds) {
    {
        std::lock_guard lock(mutex_);
        if (state_ == State::Idle || state_ == State::Failed)
            return;
        Restart(FrameAt(seconds));
        if (state_ == State::Finished)
            state_ = State::Paused;
    }
    workerWake_.notify_all();
}

Player::State Player::CurrentState() const {
    std::lock_guard lock(mutex_);
    return state_;
}

double Player::Position() const {
    std::lock_guard lock(mutex_);
    return rate_ > 0 ? static_cast<double>(positionFrame_) / rate_ : 0.0;
}

double Player::Duration() const {
    std::lock_guard lock(mutex_);
    return rate_ > 0 ? static_cast<double>(durationFrames_) / rate_ : 0.0;
}

std::string Player::Problem() const {
    std::lock_guard lock(mutex_);
    return problem_;
}

std::int64_t Player::FrameAt(double seconds) const {
    const double frame = seconds * rate_;
    if (!(frame > 0))
        return 0;
    if (frame >= static_cast<double>(durationFrames_))
        return durationFrames_;
    return std::llround(frame);
}

void Player::Restart(std::int64_t frame) {
    ++generation_;
    ring_->Clear();
    sourceEnded_ = false;
    positionFrame_ = frame;
    seekFrame_ = frame;
    samplesReady_.notify_all();
}

void Player::Fail(const std::string& problem) {
    state_ = State::Failed;
    problem_ = problem;
    ++generation_;
    ring_->Clear();
    seekFrame_ = -1;
    samplesReady_.notify_all();
    workerWake_.notify_all();
}

void Player::FillDevice(void* self, std::int16_t* samples, int count) {
    static_cast<Player*>(self)->Fill(samples, count);
}

// On SDL's audio thread.
void Player::Fill(std::int16_t* samples, int count) {
    const auto wanted = static_cast<std::size_t>(std::max(count, 0));
    std::size_t done = 0;
    std::unique_lock lock(mutex_);
    while (done < wanted && state_ == State::Playing && !closing_) {
        if (ring_->Size() > 0) {
            const std::size_t taken = ring_->Take(samples + done, wanted - done);
            done += taken;
            positionFrame_ += static_cast<std::int64_t>(taken);
            workerWake_.notify_all();
        } else if (sourceEnded_) {
            state_ = State::Finished;
            workerWake_.notify_all();
        } else {
            // The decoder is behind: waiting for it plays only the song, where silence would
            // insert a gap that is not in it.
            samplesReady_.wait(lock);
        }
    }
    std::fill(samples + done, samples + wanted, std::int16_t{0});
}

void Player::Work() {
    auto audio = std::make_unique<SdlAudio>();
    const bool available = audio->Start();
    if (!available)
        std::fprintf(stderr, "No sound output: %s\n", audio->Error().c_str());
    std::unique_lock lock(mutex_);
    audio_ = std::move(audio);
    output_ = available ? Output::Available : Output::Unavailable;
    while (!quit_) {
        const bool deviceWanted =
            state_ == State::Starting || state_ == State::Playing || state_ == State::Paused;
        if (replace_)
            TakeNewSource(lock);
        else if (deviceOpen_ && !deviceWanted)
            CloseDevice(lock);
        else if (MayStartSound())
            StartSound(lock);
        else if (MayDecode())
            DecodeBlock(lock);
        else
            workerWake_.wait(lock);
    }
    CloseDevice(lock);
    std::unique_ptr<PlaybackSource> source = std::move(source_);
    lock.unlock();
    source.reset();
    audio_.reset(); // leaves SDL's subsystem on the thread that started it
}

void Player::TakeNewSource(std::unique_lock<std::mutex>& lock) {
    replace_ = false;
    std::unique_ptr<PlaybackSource> next = std::move(pendingSource_);
    // A song at the device's rate keeps the device: switching between a song and its game
    // version then costs no more than decoding the first block.
    if (!next || deviceRate_ != rate_)
        CloseDevice(lock);
    std::unique_ptr<PlaybackSource> old = std::exchange(source_, std::move(next));
    lock.unlock();
    old.reset();
    lock.lock();
    if (source_ && output_ != Output::Available && state_ == State::Starting)
        Fail(kNoSoundOutput);
}

// Starting, with or without a device, once the first block is decoded. Playing without a
// device happens too: a Resume while the worker was closing the device of a finished song.
bool Player::MayStartSound() const {
    const bool starting = state_ == State::Starting || (state_ == State::Playing && !deviceOpen_);
    return starting && output_ == Output::Available && seekFrame_ < 0 &&
           (ring_->Size() > 0 || sourceEnded_);
}

void Player::StartSound(std::unique_lock<std::mutex>& lock) {
    if (ring_->Size() == 0) { // an empty song
        state_ = State::Finished;
        return;
    }
    state_ = State::Playing;
    samplesReady_.notify_all();
    if (deviceOpen_)
        return;
    const std::uint64_t generation = generation_;
    const std::int32_t rate = rate_;
    lock.unlock();
    const bool opened = audio_->Open(rate, FillDevice, this);
    if (!opened)
        std::fprintf(stderr, "No sound output: %s\n", audio_->Error().c_str());
    lock.lock();
    deviceOpen_ = opened;
    deviceRate_ = opened ? rate : 0;
    if (!opened && generation == generation_)
        Fail(kNoSoundOutput);
}

void Player::CloseDevice(std::unique_lock<std::mutex>& lock) {
    if (!deviceOpen_)
        return;
    closing_ = true;
    samplesReady_.notify_all();
    lock.unlock();
    audio_->Close();
    lock.lock();
    closing_ = false;
    deviceOpen_ = false;
    deviceRate_ = 0;
}

bool Player::MayDecode() const {
    const bool loaded =
        state_ == State::Starting || state_ == State::Playing || state_ == State::Paused;
    return source_ && loaded && output_ == Output::Available &&
           (seekFrame_ >= 0 ||
            (!sourceEnded_ && ring_->Free() >= static_cast<std::size_t>(kBlockFrames)));
}

void Player::DecodeBlock(std::unique_lock<std::mutex>& lock) {
    const std::uint64_t generation = generation_;
    const std::int64_t seek = std::exchange(seekFrame_, -1);
    lock.unlock();
    std::int64_t got = seek >= 0 && !source_->Seek(seek) ? -1 : 0;
    if (got == 0)
        got = source_->Read(decoded_.data(), kBlockFrames);
    std::transform(decoded_.begin(), decoded_.begin() + std::max<std::int64_t>(got, 0),
                   pcm_.begin(), ToPcm16);
    const std::string problem = got < 0 ? source_->Problem() : std::string();
    lock.lock();
    if (generation != generation_) // a seek, a stop or another song made it stale
        return;
    if (got < 0)
        Fail(problem);
    else if (got == 0)
        sourceEnded_ = true;
    else
        ring_->Put(pcm_.data(), static_cast<std::size_t>(got));
    samplesReady_.notify_all();
}
