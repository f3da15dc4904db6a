#include "playback/SdlAudio.h"

#include <SDL.h>

#include <mutex>

namespace {

// SDL's subsystem counts and hints are process-wide: players start and leave them one at a
// time.
std::mutex& SubsystemLock() {
    static std::mutex lock;
    return lock;
}

// About a fortieth of a second per fill (1024 samples at 44,100 Hz), a power of two: short
// enough for a prompt start and stop (SDL waits two fills' time when it closes a device),
// long enough that the audio thread wakes rarely.
Uint16 BufferSamples(std::int32_t rate) {
    Uint16 samples = 1024;
    while (samples > 64 && samples * 40 > rate)
        samples /= 2;
    return samples;
}

SDL_AudioSpec SpecFor(std::int32_t rate) {
    SDL_AudioSpec spec;
    SDL_zero(spec);
    spec.freq = rate;
    spec.format = AUDIO_S16SYS;
    spec.channels = 1;
    spec.samples = BufferSamples(rate);
    return spec;
}

} // namespace

SdlAudio::~SdlAudio() {
    Close();
    if (started_) {
        std::lock_guard guard(SubsystemLock());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    // SDL keeps its error text per thread and frees it only for threads it made itself.
    SDL_TLSCleanup();
}

bool SdlAudio::Start() {
    {
        std::lock_guard guard(SubsystemLock());
        SDL_SetMainReady();
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            error_ = SDL_GetError();
            return false;
        }
        started_ = true;
    }
    // A driver may start without any device to play on (ALSA without a card): only an open
    // device tells.
    SDL_AudioSpec spec = SpecFor(44100);
    const SDL_AudioDeviceID probe = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
    if (probe == 0) {
        error_ = SDL_GetError();
        return false;
    }
    SDL_CloseAudioDevice(probe);
    return true;
}

bool SdlAudio::Open(std::int32_t rate, FillFunction fill, void* context) {
    Close();
    if (!started_)
        return false;
    fill_ = fill;
    context_ = context;
    SDL_AudioSpec spec = SpecFor(rate);
    spec.callback = Callback;
    spec.userdata = this;
    // No changes allowed: SDL converts, and the callback always gets the format asked for.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
    if (device_ == 0) {
        error_ = SDL_GetError();
        return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlAudio::Close() {
    if (device_ != 0)
        SDL_CloseAudioDevice(device_);
    device_ = 0;
}

void SdlAudio::Callback(void* self, std::uint8_t* stream, int bytes) {
    auto& audio = *static_cast<SdlAudio*>(self);
    audio.fill_(audio.context_, reinterpret_cast<std::int16_t*>(stream), bytes / 2);
}
