#include "import/LoudnessMeter.h"

#include <ebur128.h>

#include <cmath>
#include <limits>

namespace {

ebur128_state* AsState(void* state) {
    return static_cast<ebur128_state*>(state);
}

constexpr double kSilence = -std::numeric_limits<double>::infinity();

} // namespace

LoudnessMeter::LoudnessMeter(int sampleRate, Measure measure)
    : state_(ebur128_init(1, static_cast<unsigned long>(sampleRate),
                          measure == Measure::Loudness ? EBUR128_MODE_I : EBUR128_MODE_TRUE_PEAK)) {
}

LoudnessMeter::~LoudnessMeter() {
    if (state_) {
        ebur128_state* state = AsState(state_);
        ebur128_destroy(&state);
    }
}

bool LoudnessMeter::Add(const float* samples, std::size_t count) {
    return state_ && ebur128_add_frames_float(AsState(state_), samples, count) == EBUR128_SUCCESS;
}

double LoudnessMeter::IntegratedLufs() const {
    double loudness = kSilence;
    if (!state_ || ebur128_loudness_global(AsState(state_), &loudness) != EBUR128_SUCCESS)
        return kSilence;
    return std::isfinite(loudness) ? loudness : kSilence;
}

double LoudnessMeter::TruePeak() const {
    double peak = 0;
    if (!state_ || ebur128_true_peak(AsState(state_), 0, &peak) != EBUR128_SUCCESS)
        return 0;
    return peak;
}
