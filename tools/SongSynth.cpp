#include "tools/SongSynth.h"

#include "common/LittleEndian.h"
#include "common/WavHeader.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Semitone offsets of a few major and minor progressions (root of each chord).
const int kProgressions[4][4] = {{0, 7, 9, 5}, {0, 5, 7, 5}, {9, 5, 0, 7}, {0, 9, 5, 7}};
const int kMajor[3] = {0, 4, 7};
const int kMinor[3] = {0, 3, 7};

double NoteHertz(double semitonesFromA4) {
    return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

// A soft organ-like tone: fundamental plus two quiet overtones.
double Voice(double hertz, double t) {
    return std::sin(2 * kPi * hertz * t) + 0.3 * std::sin(4 * kPi * hertz * t) +
           0.1 * std::sin(6 * kPi * hertz * t);
}

double Envelope(double t, double length) {
    double attack = std::min(1.0, t / 0.05);
    double release = std::min(1.0, (length - t) / 0.2);
    return std::max(0.0, std::min(attack, release));
}

} // namespace

std::vector<std::int16_t> SongSynth::Render(int index, double seconds) const {
    const int key = (index * 5) % 12 - 9;          // a different key for every song
    const double beat = 0.35 + 0.05 * (index % 5); // and a different tempo
    const double chordLength = beat * 4;
    const auto& progression = kProgressions[index % 4];
    const bool minor = (index / 4) % 2 == 1;

    const int frames = static_cast<int>(seconds * kSampleRate);
    std::vector<std::int16_t> samples(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / kSampleRate;
        int chord = static_cast<int>(t / chordLength);
        double inChord = t - chord * chordLength;
        int root = key + progression[chord % 4];
        const int* third = minor ? kMinor : kMajor;

        double value = 0;
        for (int n = 0; n < 3; ++n)
            value +=
                0.18 * Voice(NoteHertz(root + third[n] - 12), t) * Envelope(inChord, chordLength);
        int beatIndex = static_cast<int>(t / beat);
        double inBeat = t - beatIndex * beat;
        int melodyNote = root + third[(beatIndex + index) % 3] + 12 * ((beatIndex / 3) % 2);
        value += 0.22 * std::sin(2 * kPi * NoteHertz(melodyNote) * t) * Envelope(inBeat, beat) *
                 std::exp(-2.5 * inBeat);
        value *= Envelope(t, seconds);
        samples[static_cast<size_t>(i)] =
            static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 26000));
    }
    return samples;
}

std::string SongSynth::WavFile(const std::vector<std::int16_t>& samples) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out = WavHeader::Pcm(1, kSampleRate, 16, dataBytes);
    for (auto sample : samples)
        AppendLittleEndian16(out, static_cast<std::uint16_t>(sample));
    return out;
}
