#pragma once
#include "audio/EncoderSettings.h"

#include <vector>
#include <vorbis/codec.h>

// A Vorbis encoder whose packets go straight into a Vorbis decoder, without Ogg pages or
// files between them: mono samples in, the samples a player of the encoded song hears out.
class VorbisRoundTrip {
public:
    VorbisRoundTrip() = default;
    ~VorbisRoundTrip();
    VorbisRoundTrip(const VorbisRoundTrip&) = delete;
    VorbisRoundTrip& operator=(const VorbisRoundTrip&) = delete;

    // Sets up both ends for one mono stream in the settings' mode (quality or bitrate) at
    // rate, as the build's encoder does. False, after libvorbisenc's refusal on standard
    // error, when it refuses the mode or rate. Starting again begins a fresh stream.
    bool Start(const EncoderSettings& settings, std::int32_t rate);

    // Encodes count samples (count 0 ends the stream) and appends every sample the decoder
    // gives back to decoded. Never fails once started.
    void Encode(const float* samples, std::int32_t count, std::vector<float>& decoded);

private:
    void Clear();
    void Decode(ogg_packet& packet, std::vector<float>& decoded);

    bool started_ = false;
    vorbis_info encoderInfo_{};
    vorbis_dsp_state encoder_{};
    vorbis_block encoderBlock_{};
    vorbis_info decoderInfo_{};
    vorbis_comment decoderComment_{};
    vorbis_dsp_state decoder_{};
    vorbis_block decoderBlock_{};
};
