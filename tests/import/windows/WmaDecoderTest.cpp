// Media Foundation's source reader as the WMA decoder uses it. No WMA file can be made here
// (no library on Debian encodes WMA), so the reader's path is checked with a WAV file, which
// Windows (and Wine with GStreamer's WAV parser) decodes through the same calls; where this
// system decodes neither, the test says so and skips.
#include "import/WmaDecoder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(WmaDecoderTest, ReadsWhatMediaFoundationDecodesSampleForSample) {
    TempFolder folder;
    const int rate = 44100, channels = 2, frames = 22050;
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames * channels));
    for (std::size_t index = 0; index < samples.size(); ++index)
        samples[index] = static_cast<std::int16_t>(
            std::lround(12000 * std::sin(0.01 * static_cast<double>(index)) * (index % 2 ? -1 : 1)));
    const std::string pcm(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
    const std::string path = folder.file("song.wav");
    WriteFileBytes(path, MakeWav(channels, rate, 16, pcm));

    WmaDecoder decoder;
    const ImportProblem problem = decoder.Open(path);
    if (problem == ImportProblem::WmaNeedsMediaFoundation || problem == ImportProblem::Damaged ||
        problem == ImportProblem::Unsupported)
        GTEST_SKIP() << "Media Foundation does not decode this WAV file on this system ("
                     << ImportProblemText(problem, path) << "); under Wine it needs GStreamer's "
                     << "WAV parser, and WMA itself needs a WMA decoder there";
    ASSERT_EQ(problem, ImportProblem::None);
    ASSERT_EQ(decoder.channels(), channels);
    ASSERT_EQ(decoder.sampleRate(), rate);
    EXPECT_NEAR(static_cast<double>(decoder.frames()), frames, rate / 100.0);

    std::vector<float> decoded;
    std::vector<float> block(4096 * channels);
    for (std::int64_t got; (got = decoder.Read(block.data(), 4096)) > 0;)
        decoded.insert(decoded.end(), block.begin(), block.begin() + got * channels);
    EXPECT_FALSE(decoder.failed());
    ASSERT_EQ(decoded.size(), samples.size());
    for (std::size_t index = 0; index < samples.size(); ++index)
        ASSERT_EQ(decoded[index], samples[index] / 32768.0f) << index;
}

TEST(WmaDecoderTest, WmaNeedsADecoderThatCannotBeMadeHere) {
    GTEST_SKIP() << "no WMA file to decode: Debian has no library that writes WMA, and a file "
                    "from elsewhere may not be copied in; WMA decoding itself is Windows' own";
}

} // namespace
