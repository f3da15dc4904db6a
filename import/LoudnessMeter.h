#pragma once
#include <cstddef>

// Measures a mono signal by EBU R 128 with libebur128: integrated loudness and true peak.
// Keeps libebur128's header out of the rest of the program.
class LoudnessMeter {
public:
    explicit LoudnessMeter(int sampleRate);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // False when libebur128 could not be set up or refused the samples.
    bool Add(const float* samples, std::size_t count);
    // Integrated loudness in LUFS; minus infinity for silence or when nothing was measured.
    double IntegratedLufs() const;
    // True peak in dBTP; minus infinity for silence.
    double TruePeakDb() const;

private:
    void* state_ = nullptr; // ebur128_state
};
