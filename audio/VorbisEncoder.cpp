#include "audio/VorbisEncoder.h"

#include <ctime>
#include <vorbis/vorbisenc.h>

namespace {

constexpr int kFramesPerBlock = 1024;
constexpr int kPacketsPerProgress = 10;

// Whole seconds since start; a reading of zero counts as one second.
class SecondsTimer {
public:
    SecondsTimer() : start_(std::time(nullptr)) {}
    double reading() const {
        double seconds = std::difftime(std::time(nullptr), start_);
        return seconds == 0.0 ? 1.0 : seconds;
    }

private:
    std::time_t start_;
};

// The libvorbis and libogg state of one encode, cleared in the documented order.
struct EncoderState {
    vorbis_info info;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    std::int64_t framesSoFar = 0;
    std::int64_t bytesWritten = 0;
    int packetsSinceProgress = 0;
    bool endOfStream = false;
};

bool writeHeaders(EncoderState& st, EncoderSettings& s) {
    vorbis_comment empty;
    vorbis_comment_init(&empty);
    ogg_packet identification, comment, setup;
    vorbis_analysis_headerout(&st.dsp, s.comments ? s.comments : &empty, &identification, &comment,
                              &setup);
    ogg_stream_packetin(&st.stream, &identification);
    ogg_stream_packetin(&st.stream, &comment);
    ogg_stream_packetin(&st.stream, &setup);
    vorbis_comment_clear(&empty);

    ogg_page page;
    while (ogg_stream_flush(&st.stream, &page) != 0) {
        if (writePage(page, s.output) !=
            static_cast<std::size_t>(page.header_len + page.body_len)) {
            s.onError("Failed writing header to output stream\n");
            return false;
        }
    }
    return true;
}

// Writes every page libogg has ready; false after a short write.
bool writeReadyPages(EncoderState& st, EncoderSettings& s) {
    ogg_page page;
    while (!st.endOfStream && ogg_stream_pageout(&st.stream, &page) != 0) {
        std::size_t written = writePage(page, s.output);
        if (written != static_cast<std::size_t>(page.header_len + page.body_len)) {
            s.onError("Failed writing data to output stream\n");
            return false;
        }
        st.bytesWritten += static_cast<std::int64_t>(written);
        if (ogg_page_eos(&page))
            st.endOfStream = true;
    }
    return true;
}

bool encodeBlocks(EncoderState& st, EncoderSettings& s, const SecondsTimer& timer) {
    while (!st.endOfStream) {
        if (s.stop && s.stop->load())
            return false;
        float** input = vorbis_analysis_buffer(&st.dsp, kFramesPerBlock);
        std::int32_t frames = s.read ? s.read(s.readerState, input, kFramesPerBlock) : 0;
        if (frames > 0) {
            st.framesSoFar += frames;
            if (st.packetsSinceProgress >= kPacketsPerProgress) {
                st.packetsSinceProgress = 0;
                s.onProgress(s.outputName, s.totalFrames, st.framesSoFar, timer.reading());
            }
        }
        vorbis_analysis_wrote(&st.dsp, frames > 0 ? frames : 0);

        while (vorbis_analysis_blockout(&st.dsp, &st.block) == 1) {
            vorbis_analysis(&st.block, nullptr);
            vorbis_bitrate_addblock(&st.block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&st.dsp, &packet) != 0) {
                ogg_stream_packetin(&st.stream, &packet);
                ++st.packetsSinceProgress;
                if (!writeReadyPages(st, s))
                    return false;
            }
        }
    }
    return true;
}

} // namespace

bool setUpEncoderMode(vorbis_info& info, const EncoderSettings& s) {
    // libvorbisenc accepts no channels at all and then crashes; refuse as it would.
    const bool noChannels = s.channels < 1;
    if (s.qualitySet > 0) {
        if (noChannels || vorbis_encode_setup_vbr(&info, s.channels, s.rate, s.quality) != 0) {
            std::fprintf(stderr, "Mode initialisation failed: invalid parameters for quality\n");
            vorbis_info_clear(&info);
            return false;
        }
        if (s.maxBitrate > 0 || s.minBitrate > 0) {
            ovectl_ratemanage_arg limits;
            vorbis_encode_ctl(&info, OV_ECTL_RATEMANAGE_GET, &limits);
            limits.bitrate_hard_min = s.minBitrate;
            limits.bitrate_hard_max = s.maxBitrate;
            limits.management_active = 1;
            vorbis_encode_ctl(&info, OV_ECTL_RATEMANAGE_SET, &limits);
        }
    } else {
        long maximum = s.maxBitrate > 0 ? s.maxBitrate * 1000L : -1;
        long minimum = s.minBitrate > 0 ? s.minBitrate * 1000L : -1;
        if (noChannels || vorbis_encode_setup_managed(&info, s.channels, s.rate, maximum,
                                                      s.nominalBitrate * 1000L, minimum) != 0) {
            std::fprintf(stderr, "Mode initialisation failed: invalid parameters for bitrate\n");
            vorbis_info_clear(&info);
            return false;
        }
    }
    if (s.managed == 0)
        vorbis_encode_ctl(&info, OV_ECTL_RATEMANAGE_SET, nullptr);
    else if (s.nominalBitrate < 0)
        vorbis_encode_ctl(&info, OV_ECTL_RATEMANAGE_AVG, nullptr);
    return true;
}

int encodeStream(EncoderSettings& s) {
    if (s.channels > 255) {
        std::fprintf(stderr, "255 channels should be enough for anyone. (Sorry, vorbis doesn't "
                             "support more)\n");
        return 1;
    }
    SecondsTimer timer;
    if (s.managed == 0 && (s.minBitrate >= 0 || s.maxBitrate >= 0)) {
        std::fprintf(stderr, "Requesting a minimum or maximum bitrate requires --managed\n");
        return 1;
    }
    if (s.nominalBitrate < 0 && s.minBitrate < 0 && s.maxBitrate < 0)
        s.qualitySet = 1;
    s.onStart(s.inputName, s.outputName, s.nominalBitrate, s.quality, s.qualitySet, s.managed,
              s.minBitrate, s.maxBitrate);

    EncoderState st;
    vorbis_info_init(&st.info);
    if (!setUpEncoderMode(st.info, s))
        return 1;
    vorbis_encode_setup_init(&st.info);
    vorbis_analysis_init(&st.dsp, &st.info);
    vorbis_block_init(&st.dsp, &st.block);
    ogg_stream_init(&st.stream, s.serialNumber);

    int result = writeHeaders(st, s) && encodeBlocks(st, s, timer) ? 0 : 1;

    ogg_stream_clear(&st.stream);
    vorbis_block_clear(&st.block);
    vorbis_dsp_clear(&st.dsp);
    vorbis_info_clear(&st.info);
    s.onEnd(s.outputName, timer.reading(), s.rate, st.framesSoFar, st.bytesWritten);
    return result;
}

std::size_t writePage(const ogg_page& page, std::FILE* stream) {
    std::size_t written =
        std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), stream);
    return written + std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), stream);
}

void printEncodeError(const char* message) {
    std::fprintf(stderr, "\n%s\n", message);
}
