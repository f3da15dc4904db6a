#pragma once
#include <functional>
#include <string>
#include <vector>

// Audio files of every kind the importer reads, written by the tests through libsndfile.
struct AudioFileSpec {
    AudioFileSpec(int format_, int sampleRate_, int channels_, double seconds_)
        : format(format_), sampleRate(sampleRate_), channels(channels_), seconds(seconds_) {}
    AudioFileSpec& Tags(std::string artist_, std::string title_) {
        artist = std::move(artist_);
        title = std::move(title_);
        return *this;
    }
    AudioFileSpec& Signal(std::function<float(int channel, double time)> signal_) {
        signal = std::move(signal_);
        return *this;
    }

    int format; // libsndfile's SF_FORMAT_* major | minor
    int sampleRate;
    int channels;
    double seconds;
    std::string artist; // tags written when not empty
    std::string title;
    // Sample of a channel at a time in seconds; a 440 Hz sine at 0.25 when not set.
    std::function<float(int channel, double time)> signal;
};

// libsndfile's format codes by name, so tests need not include its header.
namespace AudioFormat {
int Mp3();
int Flac16();
int OggVorbis();
int Opus();
int Aiff24();
int WavFloat();
int Wav24();
int Wav16();
int Wav8();
} // namespace AudioFormat

// Writes the file; false when libsndfile refuses.
bool WriteAudioFile(const std::string& path, const AudioFileSpec& spec);

// Reads a whole file as mono or interleaved floats; false when libsndfile cannot open it.
struct DecodedAudio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples;
};
bool ReadAudioFile(const std::string& path, DecodedAudio& audio);
