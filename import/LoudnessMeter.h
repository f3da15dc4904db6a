#pragma once
#include <cstddef>

// Measures a mono signal by EBU R 128 with libebur128: integrated loudness, or true peak.
// Keeps libebur128's header out of the rest of the program.
class LoudnessMeter {
public:
    // True peak costs about four times what loudness does, so it is asked for separately.
    enum class Measure { Loudness, TruePeak };

    LoudnessMeter(int sampleRate, Measure measure);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // False when libebur128 could not be set up or refused the samples.
    bool Add(const float* samples, std::size_t count);
    // Integrated loudness in LUFS (Measure::Loudness); minus infinity for silence.
    double IntegratedLufs() const;
    // True peak as a linear factor of full scale (Measure::TruePeak); 0 for silence.
    double TruePeak() const;

private:
    void* state_ = nullptr; // ebur128_state
};
