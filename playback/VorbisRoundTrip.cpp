#include "playback/VorbisRoundTrip.h"

#include "audio/VorbisEncoder.h"

#include <algorithm>
#include <vorbis/vorbisenc.h>

VorbisRoundTrip::~VorbisRoundTrip() {
    Clear();
}

void VorbisRoundTrip::Clear() {
    if (!started_)
        return;
    vorbis_block_clear(&decoderBlock_);
    vorbis_dsp_clear(&decoder_);
    vorbis_comment_clear(&decoderComment_);
    vorbis_info_clear(&decoderInfo_);
    vorbis_block_clear(&encoderBlock_);
    vorbis_dsp_clear(&encoder_);
    vorbis_info_clear(&encoderInfo_);
    started_ = false;
}

bool VorbisRoundTrip::Start(const EncoderSettings& settings, std::int32_t rate) {
    Clear();
    EncoderSettings mono = settings;
    mono.channels = 1;
    mono.rate = rate;
    vorbis_info_init(&encoderInfo_);
    if (!setUpEncoderMode(encoderInfo_, mono)) // clears the info itself
        return false;
    vorbis_encode_setup_init(&encoderInfo_);
    vorbis_analysis_init(&encoder_, &encoderInfo_);
    vorbis_block_init(&encoder_, &encoderBlock_);

    // The three header packets set the decoder up; the build writes no user comments.
    vorbis_comment comments;
    vorbis_comment_init(&comments);
    ogg_packet headers[3];
    vorbis_analysis_headerout(&encoder_, &comments, &headers[0], &headers[1], &headers[2]);
    vorbis_info_init(&decoderInfo_);
    vorbis_comment_init(&decoderComment_);
    for (ogg_packet& header : headers)
        vorbis_synthesis_headerin(&decoderInfo_, &decoderComment_, &header);
    vorbis_comment_clear(&comments);
    vorbis_synthesis_init(&decoder_, &decoderInfo_);
    vorbis_block_init(&decoder_, &decoderBlock_);
    started_ = true;
    return true;
}

void VorbisRoundTrip::Encode(const float* samples, std::int32_t count,
                             std::vector<float>& decoded) {
    if (!started_)
        return;
    if (count > 0) {
        float** buffer = vorbis_analysis_buffer(&encoder_, count);
        std::copy(samples, samples + count, buffer[0]);
    }
    vorbis_analysis_wrote(&encoder_, std::max(count, 0));
    while (vorbis_analysis_blockout(&encoder_, &encoderBlock_) == 1) {
        vorbis_analysis(&encoderBlock_, nullptr);
        vorbis_bitrate_addblock(&encoderBlock_);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&encoder_, &packet) != 0)
            Decode(packet, decoded);
    }
}

void VorbisRoundTrip::Decode(ogg_packet& packet, std::vector<float>& decoded) {
    if (vorbis_synthesis(&decoderBlock_, &packet) == 0)
        vorbis_synthesis_blockin(&decoder_, &decoderBlock_);
    float** pcm = nullptr;
    int ready;
    while ((ready = vorbis_synthesis_pcmout(&decoder_, &pcm)) > 0) {
        decoded.insert(decoded.end(), pcm[0], pcm[0] + ready);
        vorbis_synthesis_read(&decoder_, ready);
    }
}
