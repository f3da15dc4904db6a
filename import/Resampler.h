#pragma once
#include <cstddef>
#include <vector>

// Streams mono float samples from one rate to another with libsoxr at its high-quality
// setting; at equal rates samples pass through untouched. Keeps libsoxr's header out of
// the rest of the program.
class Resampler {
public:
    Resampler(double inputRate, double outputRate);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // False when libsoxr refused the rates; Process and Finish then fail too.
    bool ready() const { return passThrough_ || state_ != nullptr; }
    // Equal rates: Process and Finish would only copy, so callers may skip them.
    bool passesThrough() const { return passThrough_; }
    // Replaces `output` with the samples ready after this input. False on a libsoxr error.
    bool Process(const float* input, std::size_t count, std::vector<float>& output);
    // Replaces `output` with the samples still held back at the end of the input.
    bool Finish(std::vector<float>& output);

private:
    void* state_ = nullptr; // soxr_t
    bool passThrough_ = false;
    double ratio_ = 1;
};
