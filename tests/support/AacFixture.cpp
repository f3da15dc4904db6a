#include "tests/support/AacFixture.h"

#include <vo-aacenc/cmnMemory.h>
#include <vo-aacenc/voAAC.h>

#include <algorithm>
#include <iterator>

namespace {

constexpr int kFrameSamples = 1024;
constexpr int kRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                          22050, 16000, 12000, 11025, 8000,  7350};

int RateIndex(int rate) {
    const auto found = std::find(std::begin(kRates), std::end(kRates), rate);
    return found == std::end(kRates) ? -1 : static_cast<int>(found - std::begin(kRates));
}

} // namespace

bool EncodeAac(const std::vector<std::int16_t>& interleaved, int rate, int channels,
               AacFrames& out) {
    VO_AUDIO_CODECAPI api{};
    if (voGetAACEncAPI(&api) != VO_ERR_NONE || RateIndex(rate) < 0)
        return false;
    VO_MEM_OPERATOR memory{cmnMemAlloc, cmnMemFree,    cmnMemSet, cmnMemCopy,
                           cmnMemCheck, cmnMemCompare, cmnMemMove};
    VO_CODEC_INIT_USERDATA user{};
    user.memflag = VO_IMF_USERMEMOPERATOR;
    user.memData = &memory;
    VO_HANDLE encoder = nullptr;
    if (api.Init(&encoder, VO_AUDIO_CodingAAC, &user) != VO_ERR_NONE)
        return false;
    AACENC_PARAM param{rate, 128000 * channels, static_cast<short>(channels), 0};
    bool ok = api.SetParam(encoder, VO_PID_AAC_ENCPARAM, &param) == VO_ERR_NONE;
    out = AacFrames{rate, channels, {}};
    // One frame out for each frame in; enough frames to carry the last sample past the delay.
    const std::size_t sourceFrames = interleaved.size() / static_cast<std::size_t>(channels);
    const std::size_t count = (sourceFrames + kAacPriming + kFrameSamples - 1) / kFrameSamples;
    std::vector<std::int16_t> block(static_cast<std::size_t>(kFrameSamples * channels));
    std::vector<unsigned char> output(static_cast<std::size_t>(6144 / 8 * channels + 64));
    for (std::size_t frame = 0; ok && frame < count; ++frame) {
        std::fill(block.begin(), block.end(), 0);
        const std::size_t first = frame * block.size();
        if (first < interleaved.size())
            std::copy(interleaved.begin() + static_cast<std::ptrdiff_t>(first),
                      interleaved.begin() + static_cast<std::ptrdiff_t>(
                                                std::min(interleaved.size(), first + block.size())),
                      block.begin());
        VO_CODECBUFFER input{reinterpret_cast<VO_PBYTE>(block.data()),
                             static_cast<VO_U32>(block.size() * 2), 0};
        VO_CODECBUFFER encoded{output.data(), static_cast<VO_U32>(output.size()), 0};
        VO_AUDIO_OUTPUTINFO info{};
        ok = api.SetInputData(encoder, &input) == VO_ERR_NONE &&
             api.GetOutputData(encoder, &encoded, &info) == VO_ERR_NONE;
        if (ok)
            out.frames.emplace_back(reinterpret_cast<const char*>(output.data()), encoded.Length);
    }
    api.Uninit(encoder);
    return ok;
}

std::string AacDecoderConfig(const AacFrames& aac) {
    const int index = RateIndex(aac.rate);
    return {static_cast<char>(2 << 3 | index >> 1),
            static_cast<char>((index & 1) << 7 | aac.channels << 3)};
}

std::string AdtsStream(const AacFrames& aac) {
    const int index = RateIndex(aac.rate);
    std::string stream;
    for (const std::string& frame : aac.frames) {
        const std::size_t length = frame.size() + 7;
        const unsigned char header[7] = {
            0xFF,
            0xF1, // MPEG-4, no CRC
            static_cast<unsigned char>(1 << 6 | index << 2 | aac.channels >> 2),
            static_cast<unsigned char>((aac.channels & 3) << 6 | length >> 11),
            static_cast<unsigned char>(length >> 3),
            static_cast<unsigned char>((length & 7) << 5 | 0x1F),
            0xFC};
        stream.append(reinterpret_cast<const char*>(header), sizeof header);
        stream += frame;
    }
    return stream;
}
