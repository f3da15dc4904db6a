#include "import/Resampler.h"

#include <soxr.h>

namespace {

soxr_t AsSoxr(void* state) {
    return static_cast<soxr_t>(state);
}

} // namespace

Resampler::Resampler(double inputRate, double outputRate)
    : passThrough_(inputRate == outputRate), ratio_(outputRate / inputRate) {
    if (passThrough_)
        return;
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    // One thread inside soxr: the importer runs one file per core already.
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_t state = soxr_create(inputRate, outputRate, 1, &error, &io, &quality, &runtime);
    if (error)
        soxr_delete(state);
    else
        state_ = state;
}

Resampler::~Resampler() {
    if (state_)
        soxr_delete(AsSoxr(state_));
}

bool Resampler::Process(const float* input, std::size_t count, std::vector<float>& output) {
    if (passThrough_) {
        output.assign(input, input + count);
        return true;
    }
    if (!state_)
        return false;
    output.resize(static_cast<std::size_t>(static_cast<double>(count) * ratio_) + 64);
    std::size_t filled = 0;
    std::size_t consumed = 0;
    while (consumed < count) {
        if (output.size() - filled < 64)
            output.resize(output.size() * 2);
        std::size_t used = 0, made = 0;
        if (soxr_process(AsSoxr(state_), input + consumed, count - consumed, &used,
                         output.data() + filled, output.size() - filled, &made))
            return false;
        consumed += used;
        filled += made;
    }
    output.resize(filled);
    return true;
}

bool Resampler::Finish(std::vector<float>& output) {
    output.clear();
    if (passThrough_)
        return true;
    if (!state_)
        return false;
    for (;;) {
        std::size_t filled = output.size();
        output.resize(filled + 4096);
        std::size_t made = 0;
        if (soxr_process(AsSoxr(state_), nullptr, 0, nullptr, output.data() + filled, 4096, &made))
            return false;
        output.resize(filled + made);
        if (made == 0)
            return true;
    }
}
