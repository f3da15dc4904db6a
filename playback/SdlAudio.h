#pragma once
#include <cstdint>
#include <string>

// SDL2's audio subsystem for one player, and its one output device. Every call must come from
// the same thread (on Windows SDL sets up COM on it); the fill function runs on SDL's own
// audio thread. None of the calls throws.
class SdlAudio {
public:
    // Fills count samples (signed 16-bit, mono) for the device; must always fill them all.
    using FillFunction = void (*)(void* context, std::int16_t* samples, int count);

    SdlAudio() = default;
    // Closes the device, leaves the subsystem and frees what SDL keeps for this thread.
    ~SdlAudio();
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;

    // Starts the subsystem (without signal handlers: the command lines own Ctrl-C) and opens
    // and closes the default output once. False when there is no driver, no sound server or
    // no device; Error() then says what SDL said. May wait on a sound server for a while.
    bool Start();

    // Opens the default output for signed 16-bit mono samples at rate, which SDL converts to
    // whatever the device takes, and starts it: fill is called from then on. False, with
    // Error() set, when the device cannot be opened. An open device is closed first.
    bool Open(std::int32_t rate, FillFunction fill, void* context);
    // Waits for the audio thread's current fill to end and stops the device. The fill function
    // must not be waiting for this thread then.
    void Close();
    bool IsOpen() const { return device_ != 0; }

    const std::string& Error() const { return error_; }

private:
    static void Callback(void* self, std::uint8_t* stream, int bytes);

    bool started_ = false;
    std::uint32_t device_ = 0;
    FillFunction fill_ = nullptr;
    void* context_ = nullptr;
    std::string error_;
};
