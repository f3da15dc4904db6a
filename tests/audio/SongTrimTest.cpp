#include "audio/SongTrim.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

struct GainCase {
    const char* name;
    TrimFrames trim;
    std::int64_t frame;
    float gain;
};

class FadeGains : public testing::TestWithParam<GainCase> {};

TEST_P(FadeGains, AreLinearPerSample) {
    EXPECT_EQ(FadeGain(GetParam().trim, GetParam().frame), GetParam().gain);
}

// A kept part of 100 frames with a fade in of 4 and a fade out of 8, and one of 4 frames where
// both fades span it all.
constexpr TrimFrames kFades{500, 100, 4, 8};
constexpr TrimFrames kOverlap{0, 4, 4, 4};

INSTANTIATE_TEST_SUITE_P(Fades, FadeGains,
                         testing::Values(GainCase{"FadeInFirst", kFades, 0, 0.0f},
                                         GainCase{"FadeInMiddle", kFades, 2, 0.5f},
                                         GainCase{"FadeInLast", kFades, 3, 0.75f},
                                         GainCase{"AfterFadeIn", kFades, 4, 1.0f},
                                         GainCase{"BeforeFadeOut", kFades, 91, 1.0f},
                                         GainCase{"FadeOutFirst", kFades, 92, 0.875f},
                                         GainCase{"FadeOutMiddle", kFades, 96, 0.375f},
                                         GainCase{"FadeOutLast", kFades, 99, 0.0f},
                                         GainCase{"BeforeTheStart", kFades, -1, 0.0f},
                                         GainCase{"PastTheEnd", kFades, 100, 0.0f},
                                         GainCase{"OverlapProduct", kOverlap, 1, 0.125f},
                                         GainCase{"NoFades", TrimFrames{0, 3, 0, 0}, 0, 1.0f}),
                         [](const auto& tested) { return std::string(tested.param.name); });

struct FramesCase {
    const char* name;
    SongTrim trim;
    TrimFrames frames; // of a song of 441,000 frames at 44,100 Hz
};

class TrimFramesOf : public testing::TestWithParam<FramesCase> {};

TEST_P(TrimFramesOf, RoundAndClampEachTime) {
    const TrimFrames frames = TrimToFrames(GetParam().trim, 44100, 441000);
    const TrimFrames& expected = GetParam().frames;
    EXPECT_EQ(frames.first, expected.first);
    EXPECT_EQ(frames.count, expected.count);
    EXPECT_EQ(frames.fadeIn, expected.fadeIn);
    EXPECT_EQ(frames.fadeOut, expected.fadeOut);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Trims, TrimFramesOf,
    testing::Values(
        FramesCase{"None", SongTrim{}, {0, 441000, 0, 0}},
        FramesCase{"Tenths", SongTrim{0.1, 2.3, 0.2, 0.7}, {4410, 97020, 8820, 30870}},
        FramesCase{"EndBeyondTheSong", SongTrim{9.5, 12.0, 0, 0}, {418950, 22050, 0, 0}},
        FramesCase{"EndBeforeStart", SongTrim{5.0, 4.0, 1.0, 1.0}, {220500, 0, 0, 0}},
        FramesCase{"NegativeAndNaN", SongTrim{-1.0, kNaN, kNaN, -2.0}, {0, 441000, 0, 0}},
        FramesCase{"FadesLongerThanKept", SongTrim{0, 1.0, 3.0, 2.0}, {0, 44100, 44100, 44100}}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST(ApplyFades, LeavesSamplesOutsideTheFadesBitForBit) {
    // Odd values on purpose: negative zero, a denormal, NaN and the extremes pass unchanged.
    const std::vector<float> samples = {-0.0f, 1e-42f,      std::numeric_limits<float>::quiet_NaN(),
                                        -1.0f, 0.99996948f, 0.3f};
    for (const TrimFrames trim : {TrimFrames{0, 6, 0, 0}, TrimFrames{0, 1000, 2, 3}}) {
        std::vector<float> faded = samples;
        ApplyFades(trim, trim.count == 6 ? 0 : 100, faded.data(), 6);
        EXPECT_EQ(std::memcmp(faded.data(), samples.data(), samples.size() * sizeof(float)), 0);
    }
}

} // namespace
