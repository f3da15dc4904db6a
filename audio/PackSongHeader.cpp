#include "audio/PackSongHeader.h"

namespace {

constexpr long kMinRate = 8000;
constexpr long kMaxRate = 48000;
constexpr double kMaxSeconds = 30 * 60;

} // namespace

std::string WhyNotAPackSong(OggVorbis_File& vorbis) {
    if (ov_streams(&vorbis) != 1)
        return "it holds more than one logical stream";
    const vorbis_info* info = ov_info(&vorbis, 0);
    if (!info)
        return "it is not Ogg Vorbis";
    if (info->channels != 1)
        return "it is not mono";
    if (info->rate < kMinRate || info->rate > kMaxRate)
        return "its rate of " + std::to_string(info->rate) + " Hz is outside 8,000 to 48,000 Hz";
    const ogg_int64_t frames = ov_pcm_total(&vorbis, 0);
    if (frames < 0)
        return "it does not decode cleanly";
    if (static_cast<double>(frames) > kMaxSeconds * static_cast<double>(info->rate))
        return "it is longer than 30 minutes";
    return {};
}
