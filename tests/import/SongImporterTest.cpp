#include "import/SongImporter.h"
#include "import/LoudnessMeter.h"
#include "import/ParallelImport.h"
#include "import/SampleStore.h"
#include "import/SongFileName.h"
#include "platform/FileOps.h"
#include "platform/NativePath.h"
#include "tests/support/AudioFileFixture.h"
#include "tests/support/MakeLink.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNames.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <set>

namespace {

constexpr double kOutputRate = 44100;

struct SineFit {
    double amplitude = 0;
    double snrDb = 0;
};

// Fits a sine of the given frequency to the middle of the signal: a song that kept its
// frequency fits with little left over; a shifted or distorted one does not.
SineFit FitSine(const std::vector<float>& samples, double frequency, double rate) {
    const std::size_t begin = samples.size() / 8, end = samples.size() - samples.size() / 8;
    double sinSum = 0, cosSum = 0;
    for (std::size_t index = begin; index < end; ++index) {
        const double phase = 2 * M_PI * frequency * static_cast<double>(index) / rate;
        sinSum += samples[index] * std::sin(phase);
        cosSum += samples[index] * std::cos(phase);
    }
    const double count = static_cast<double>(end - begin);
    const double a = 2 * sinSum / count, b = 2 * cosSum / count;
    double signal = 0, residual = 0;
    for (std::size_t index = begin; index < end; ++index) {
        const double phase = 2 * M_PI * frequency * static_cast<double>(index) / rate;
        const double fitted = a * std::sin(phase) + b * std::cos(phase);
        signal += fitted * fitted;
        residual += (samples[index] - fitted) * (samples[index] - fitted);
    }
    return {std::hypot(a, b), 10 * std::log10(signal / std::max(residual, 1e-30))};
}

struct Loudness {
    double lufs;
    double peakDb;
};

Loudness MeasureLoudness(const std::vector<float>& samples) {
    LoudnessMeter loudness(static_cast<int>(kOutputRate), LoudnessMeter::Measure::Loudness);
    LoudnessMeter peak(static_cast<int>(kOutputRate), LoudnessMeter::Measure::TruePeak);
    EXPECT_TRUE(loudness.Add(samples.data(), samples.size()));
    EXPECT_TRUE(peak.Add(samples.data(), samples.size()));
    return {loudness.IntegratedLufs(), 20 * std::log10(peak.TruePeak())};
}

class ImportTest : public testing::Test {
protected:
    ImportedSong Import(const std::string& source, bool loudness = true,
                        std::function<bool(const std::string&)> asIs = {}) {
        SongImporter importer(out.path(), ImportSettings{loudness, std::move(asIs)});
        std::atomic<bool> cancel{false};
        std::atomic<int> permille{0};
        ImportedSong song = importer.Import(source, cancel, permille);
        if (song.problem == ImportProblem::None) {
            EXPECT_TRUE(SongImporter::Publish(song)) << source;
        }
        return song;
    }

    // The converted song as mono floats, after checking it is what the builder takes.
    std::vector<float> ReadSong(const ImportedSong& song) {
        const std::string bytes = ReadFileBytes(song.path);
        EXPECT_EQ(bytes.substr(0, 4), "RIFF");
        EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(bytes.substr(36, 4), "data");
        DecodedAudio audio;
        EXPECT_TRUE(ReadAudioFile(song.path, audio));
        EXPECT_EQ(audio.channels, 1);
        EXPECT_EQ(audio.sampleRate, 44100);
        return audio.samples;
    }

    std::set<std::string> OutputNames() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out.path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    TempFolder in, out;
};

struct FormatCase {
    const char* name;
    int (*format)();
    int rate;
    int channels;
    double minimumSnrDb; // lossy codecs leave more noise than 16-bit dither
};

void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << c.name;
}

class FormatTest : public ImportTest, public testing::WithParamInterface<FormatCase> {};

TEST_P(FormatTest, BecomesMono44100WithSameLengthFrequencyAndLoudness) {
    const FormatCase& param = GetParam();
    const std::string source = in.file(std::string(param.name) + ".audio");
    ASSERT_TRUE(CreateFolderTree(Utf8Path(NativePath(source).parent_path())));
    const double seconds = 2.5;
    ASSERT_TRUE(
        WriteAudioFile(source, AudioFileSpec(param.format(), param.rate, param.channels, seconds)));

    const ImportedSong song = Import(source);
    ASSERT_EQ(song.problem, ImportProblem::None) << ImportProblemText(song.problem, source);
    EXPECT_FALSE(song.inPlace);
    const std::vector<float> samples = ReadSong(song);
    EXPECT_NEAR(static_cast<double>(samples.size()), seconds * kOutputRate, 2.0);
    EXPECT_NEAR(song.seconds, seconds, 2.0 / kOutputRate);

    const SineFit fit = FitSine(samples, 440, kOutputRate);
    EXPECT_GT(fit.snrDb, param.minimumSnrDb);
    const Loudness loudness = MeasureLoudness(samples);
    EXPECT_NEAR(loudness.lufs, SongImporter::kTargetLufs, 0.5);
    EXPECT_LE(loudness.peakDb, SongImporter::kPeakCeilingDb + 0.2);
    // Every source held the same 0.25 sine in all channels: the same gain brings it to -16.
    EXPECT_NEAR(fit.amplitude, 0.25 * std::pow(10, song.gainDb / 20), 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatTest,
    testing::Values(FormatCase{"mp3_44k_stereo", AudioFormat::Mp3, 44100, 2, 25},
                    FormatCase{"mp3_22k_mono", AudioFormat::Mp3, 22050, 1, 25},
                    FormatCase{"flac_48k_stereo", AudioFormat::Flac16, 48000, 2, 60},
                    FormatCase{"ogg_22k_mono", AudioFormat::OggVorbis, 22050, 1, 25},
                    FormatCase{"opus_48k_stereo", AudioFormat::Opus, 48000, 2, 25},
                    FormatCase{"aiff24_96k_5_1", AudioFormat::Aiff24, 96000, 6, 60},
                    FormatCase{"wav_float_44k_stereo", AudioFormat::WavFloat, 44100, 2, 60},
                    FormatCase{"wav24_48k_mono", AudioFormat::Wav24, 48000, 1, 60},
                    FormatCase{"wav16_22k_stereo", AudioFormat::Wav16, 22050, 2, 60},
                    // A folder name the system's own code page may lack.
                    FormatCase{"Zoë/Café/flac_44k_stereo", AudioFormat::Flac16, 44100, 2, 60}),
    [](const auto& test) { return TestName(test.param.name); });

struct LoudnessCase {
    const char* name;
    std::function<float(int, double)> signal;
    bool peakLimited;
};

void PrintTo(const LoudnessCase& c, std::ostream* out) {
    *out << c.name;
}

class LoudnessTest : public ImportTest, public testing::WithParamInterface<LoudnessCase> {};

TEST_P(LoudnessTest, ReachesTargetOrTruePeakCeiling) {
    const std::string source = in.file("song.flac");
    const AudioFileSpec spec =
        AudioFileSpec(AudioFormat::Flac16(), 44100, 2, 4).Signal(GetParam().signal);
    ASSERT_TRUE(WriteAudioFile(source, spec));
    const ImportedSong song = Import(source);
    ASSERT_EQ(song.problem, ImportProblem::None);
    const Loudness loudness = MeasureLoudness(ReadSong(song));
    if (GetParam().peakLimited) {
        EXPECT_LT(loudness.lufs, SongImporter::kTargetLufs - 0.5);
        EXPECT_NEAR(loudness.peakDb, SongImporter::kPeakCeilingDb, 0.3);
    } else {
        EXPECT_NEAR(loudness.lufs, SongImporter::kTargetLufs, 0.5);
        EXPECT_LE(loudness.peakDb, SongImporter::kPeakCeilingDb + 0.1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Signals, LoudnessTest,
    testing::Values(
        LoudnessCase{"quiet",
                     [](int, double time) { return 0.01f * std::sin(2 * M_PI * 300 * time); },
                     false},
        LoudnessCase{"loud",
                     [](int, double time) { return 0.95f * std::sin(2 * M_PI * 1000 * time); },
                     false},
        // A faint hum with sharp clicks: matching the hum would push the clicks past -1 dBTP.
        LoudnessCase{"clicks",
                     [](int channel, double time) {
                         const double inBeat = std::fmod(time, 0.5);
                         const float click = inBeat < 0.0005 ? 0.8f : 0.0f;
                         return click + (channel ? 0.004f : 0.0f) *
                                            static_cast<float>(std::sin(2 * M_PI * 200 * time));
                     },
                     true}),
    [](const auto& test) { return TestName(test.param.name); });

// The importer measures true peaks only where the sample peak times this bound could pass the
// ceiling; the sign patterns that drive the interpolator hardest must stay within it.
TEST(TruePeakBoundTest, HoldsForWorstSignPatterns) {
    double highest = 0;
    for (double offset : {0.25, 0.5, 0.75}) {
        std::vector<float> samples(256, 0.0f);
        for (int tap = -24; tap < 24; ++tap) {
            const double at = tap + offset;
            samples[static_cast<std::size_t>(128 + tap)] = std::sin(M_PI * at) / at >= 0 ? 1 : -1;
        }
        LoudnessMeter meter(static_cast<int>(kOutputRate), LoudnessMeter::Measure::TruePeak);
        ASSERT_TRUE(meter.Add(samples.data(), samples.size()));
        highest = std::max(highest, meter.TruePeak());
    }
    EXPECT_GT(highest, 1.5);
    EXPECT_LT(highest, SongImporter::kTruePeakOvershootBound);
}

TEST_F(ImportTest, DownmixAveragesChannelsWithoutClipping) {
    struct Case {
        std::function<float(int, double)> signal;
        double expectedAmplitude;
        int (*format)() = AudioFormat::Aiff24;
    };
    const Case cases[] = {
        // Only the first of six channels: a sixth of its level.
        {[](int channel, double time) {
             return channel == 0 ? 0.6f * static_cast<float>(std::sin(2 * M_PI * 440 * time))
                                 : 0.0f;
         },
         0.1},
        // All six at almost full scale in phase: the average is as loud, and not clipped.
        {[](int, double time) {
             return 0.99f * static_cast<float>(std::sin(2 * M_PI * 440 * time));
         },
         0.99},
        // A float file with a broken channel: its NaN samples count as silence.
        {[](int channel, double time) {
             return channel == 5   ? std::numeric_limits<float>::quiet_NaN()
                    : channel == 0 ? 0.6f * static_cast<float>(std::sin(2 * M_PI * 440 * time))
                                   : 0.0f;
         },
         0.1, AudioFormat::WavFloat},
    };
    for (const Case& c : cases) {
        const std::string source = in.file("surround");
        const AudioFileSpec spec = AudioFileSpec(c.format(), 44100, 6, 1).Signal(c.signal);
        ASSERT_TRUE(WriteAudioFile(source, spec));
        const ImportedSong song = Import(source, false);
        ASSERT_EQ(song.problem, ImportProblem::None);
        EXPECT_EQ(song.gainDb, 0);
        const SineFit fit = FitSine(ReadSong(song), 440, kOutputRate);
        EXPECT_NEAR(fit.amplitude, c.expectedAmplitude, 0.002);
        EXPECT_GT(fit.snrDb, 60);
    }
}

struct TitleCase {
    const char* fileName;
    int (*format)();
    const char* artist;
    const char* title;
    const char* expected;
};

void PrintTo(const TitleCase& c, std::ostream* out) {
    *out << c.fileName;
}

class TitleTest : public ImportTest, public testing::WithParamInterface<TitleCase> {};

TEST_P(TitleTest, ComesFromTagsOrFileName) {
    const TitleCase& param = GetParam();
    const std::string source = in.file(param.fileName);
    const int rate = param.format == AudioFormat::Opus ? 48000 : 44100;
    const AudioFileSpec spec =
        AudioFileSpec(param.format(), rate, 1, 0.5).Tags(param.artist, param.title);
    ASSERT_TRUE(WriteAudioFile(source, spec));
    const ImportedSong song = Import(source);
    ASSERT_EQ(song.problem, ImportProblem::None);
    EXPECT_EQ(song.title, param.expected);
    EXPECT_EQ(Utf8Path(NativePath(song.path).filename()), SafeFileStem(param.expected) + ".wav");
}

// A file name with characters a title keeps but a song's file name may not hold. Windows
// file names cannot hold ':' or '?' at all; there '#' and '%' stand in.
#ifdef _WIN32
constexpr const char* kOddName = "AC_DC# Back%.flac";
constexpr const char* kOddTitle = "AC_DC# Back%";
#else
constexpr const char* kOddName = "AC_DC: Back?.flac";
constexpr const char* kOddTitle = "AC_DC: Back?";
#endif

INSTANTIATE_TEST_SUITE_P(
    Tags, TitleTest,
    testing::Values(TitleCase{"a.flac", AudioFormat::Flac16, "Motörhead", "Café Saigon",
                              "Motörhead - Café Saigon"},
                    TitleCase{"b.ogg", AudioFormat::OggVorbis, "", "Only A Title", "Only A Title"},
                    TitleCase{"c.mp3", AudioFormat::Mp3, "Some Band", "Mp3 Song",
                              "Some Band - Mp3 Song"},
                    TitleCase{"d.opus", AudioFormat::Opus, "", "  Spaced Out  ", "Spaced Out"},
                    TitleCase{"Artist Only.flac", AudioFormat::Flac16, "Nobody", "", "Artist Only"},
                    TitleCase{"my song.final.wav", AudioFormat::Wav24, "", "", "my song.final"},
                    TitleCase{kOddName, AudioFormat::Flac16, "", "", kOddTitle}),
    [](const auto& test) { return TestName(test.param.fileName); });

TEST(SampleStoreTest, SpillsBeyondMemoryAndReadsAcrossTheEdge) {
    TempFolder folder;
    auto owned = std::make_unique<SampleStore>(folder.path());
    SampleStore& store = *owned;
    std::vector<float> block(100000);
    const std::uint64_t total = SampleStore::kMemorySamples + 250000;
    for (std::uint64_t done = 0; done < total;) {
        const std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), total - done));
        for (std::size_t index = 0; index < count; ++index)
            block[index] = static_cast<float>(done + index);
        ASSERT_TRUE(store.Append(block.data(), count));
        done += count;
    }
    EXPECT_EQ(store.size(), total);
    std::vector<float> read(1000);
    const std::uint64_t firsts[] = {0, SampleStore::kMemorySamples - 500, total - 1000};
    for (std::uint64_t first : firsts) {
        ASSERT_TRUE(store.Read(first, read.size(), read.data()));
        for (std::size_t index = 0; index < read.size(); ++index)
            ASSERT_EQ(read[index], static_cast<float>(first + index));
    }
    EXPECT_FALSE(store.Read(total - 10, 11, read.data()));
#ifdef _WIN32
    // Windows names the scratch file while it is open: one hidden entry, gone with the store.
    EXPECT_EQ(ListFolder(folder.path()).size(), 1u);
#else
    // The scratch file has no name: nothing shows in the folder.
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
#endif
    owned.reset();
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(SongFileNameTest, MakesTitlesSafe) {
    const std::pair<std::string, std::string> cases[] = {
        {"AC/DC - Back In Black", "AC_DC - Back In Black"},
        {"What? \"Yes\" <no> a|b c:d e*f g\\h", "What_ _Yes_ _no_ a_b c_d e_f g_h"},
        {"..hidden. ", "hidden"},
        {"tab\there", "tab_here"},
        {"", "song"},
        {"...", "song"},
        {std::string(120, 'x'), std::string(100, 'x')},
        {std::string(99, 'x') + "é", std::string(99, 'x')}, // no half character
    };
    for (const auto& [title, stem] : cases)
        EXPECT_EQ(SafeFileStem(title), stem) << title;
    EXPECT_EQ(NumberedWavName("a", 1), "a.wav");
    EXPECT_EQ(NumberedWavName("a", 3), "a (3).wav");
}

struct ProblemCase {
    const char* name;
    std::function<bool(const std::string& path, const std::string& folder)> make;
    ImportProblem expected;
    const char* sourceName = nullptr; // the source's own name, when not "bad " + name
};

bool WriteBytes(const std::string& path, const std::string& bytes) {
    WriteFileBytes(path, bytes);
    return true;
}

// The first part of a real file of the given format, as a cut-short download leaves it.
bool WriteCutShort(const std::string& path, const std::string& folder, int format) {
    const std::string whole = folder + "/whole";
    if (!WriteAudioFile(whole, AudioFileSpec(format, 44100, 2, 3)))
        return false;
    const std::string bytes = ReadFileBytes(whole);
    return WriteBytes(path, bytes.substr(0, bytes.size() / 2));
}

void PrintTo(const ProblemCase& c, std::ostream* out) {
    *out << c.name;
}

class ProblemTest : public ImportTest, public testing::WithParamInterface<ProblemCase> {};

TEST_P(ProblemTest, IsNamedAndLeavesNothing) {
    const std::string source = in.file(GetParam().sourceName ? GetParam().sourceName
                                                             : std::string("bad ") + GetParam().name);
    ASSERT_TRUE(GetParam().make(source, in.path()));
    const ImportedSong song = Import(source);
    EXPECT_EQ(song.problem, GetParam().expected) << ImportProblemText(song.problem, source);
    EXPECT_FALSE(song.staged);
    EXPECT_TRUE(OutputNames().empty());
}

// Linux reads no WMA at all; Windows finds this one broken.
#ifdef _WIN32
constexpr ImportProblem kBrokenWma = ImportProblem::Damaged;
#else
constexpr ImportProblem kBrokenWma = ImportProblem::WmaNeedsWindows;
#endif

// A special file where the song was: a named pipe would wait for a writer. Windows has no
// pipes in folders; there a device name is the special file that would wait (CON) or read as
// nothing (NUL).
std::vector<ProblemCase> SpecialFileCases() {
#ifdef _WIN32
    return {ProblemCase{"console device",
                        [](const std::string&, const std::string&) { return true; },
                        ImportProblem::Unreadable, "CON"},
            ProblemCase{"null device", [](const std::string&, const std::string&) { return true; },
                        ImportProblem::Unreadable, "nul.mp3"}};
#else
    return {ProblemCase{
        "pipe.mp3",
        [](const std::string& p, const std::string&) { return ::mkfifo(p.c_str(), 0600) == 0; },
        ImportProblem::Unreadable}};
#endif
}

std::vector<ProblemCase> ProblemCases() {
    std::vector<ProblemCase> cases{
        ProblemCase{"text.mp3",
                    [](const std::string& p, const std::string&) {
                        return WriteBytes(p, "These are my notes, not a song.\n");
                    },
                    ImportProblem::NotAudio},
        ProblemCase{"aac.m4a",
                    [](const std::string& p, const std::string&) {
                        return WriteBytes(p, std::string("\0\0\0\x20"
                                                         "ftypM4A \0\0\0\0M4A mp42isom",
                                                         28) +
                                                 std::string(200, '\0'));
                    },
                    ImportProblem::Damaged}, // an MP4 file without its movie box
        ProblemCase{"wma.wma",
                    [](const std::string& p, const std::string&) {
                        return WriteBytes(p, "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA" +
                                                 std::string(200, 'x'));
                    },
                    kBrokenWma},
        ProblemCase{"cut.flac",
                    [](const std::string& p, const std::string& f) {
                        return WriteCutShort(p, f, AudioFormat::Flac16());
                    },
                    ImportProblem::Damaged},
        ProblemCase{"cut.ogg", // no last page: no length announced at all
                    [](const std::string& p, const std::string& f) {
                        return WriteCutShort(p, f, AudioFormat::OggVorbis());
                    },
                    ImportProblem::Damaged},
        ProblemCase{"cut.mp3",
                    [](const std::string& p, const std::string& f) {
                        return WriteCutShort(p, f, AudioFormat::Mp3());
                    },
                    ImportProblem::Damaged},
        ProblemCase{"header.flac",
                    [](const std::string& p, const std::string&) {
                        return WriteBytes(p, "fLaC" + std::string(30, '\x7f'));
                    },
                    ImportProblem::Damaged},
        ProblemCase{"no-samples.wav",
                    [](const std::string& p, const std::string&) {
                        return WriteBytes(p, MakeWav(2, 44100, 16, ""));
                    },
                    ImportProblem::Empty},
        ProblemCase{"zero-bytes.flac",
                    [](const std::string& p, const std::string&) { return WriteBytes(p, ""); },
                    ImportProblem::Empty},
        ProblemCase{"31-minutes.wav",
                    [](const std::string& p, const std::string&) {
                        return WriteAudioFile(p,
                                              AudioFileSpec(AudioFormat::Wav8(), 8000, 1, 31 * 60));
                    },
                    ImportProblem::TooLong},
        ProblemCase{"folder.wav",
                    [](const std::string& p, const std::string&) {
                        return static_cast<bool>(CreateFolder(p));
                    },
                    ImportProblem::Unreadable},
        ProblemCase{"missing.mp3", [](const std::string&, const std::string&) { return true; },
                    ImportProblem::Unreadable}};
    for (ProblemCase& special : SpecialFileCases())
        cases.push_back(std::move(special));
    return cases;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProblemTest, testing::ValuesIn(ProblemCases()),
    [](const auto& test) { return TestName(test.param.name); });

TEST_F(ImportTest, ProblemMessagesNameTheFile) {
    const std::string file = "/music/Über song.m4a";
    EXPECT_EQ(ImportProblemText(ImportProblem::NotAudio, file),
              "Cannot import /music/Über song.m4a: not an audio file.");
    EXPECT_EQ(ImportProblemText(ImportProblem::Unsupported, file),
              "Cannot import /music/Über song.m4a: unsupported format.");
    EXPECT_EQ(ImportProblemText(ImportProblem::Damaged, file),
              "Cannot import /music/Über song.m4a: the file is damaged.");
    EXPECT_EQ(ImportProblemText(ImportProblem::Empty, file),
              "Cannot import /music/Über song.m4a: the file is empty (no samples at all).");
    EXPECT_EQ(ImportProblemText(ImportProblem::TooLong, file),
              "Cannot import /music/Über song.m4a: longer than 30 minutes.");
    EXPECT_EQ(ImportProblemText(ImportProblem::TagsTooLarge, file),
              "Cannot import /music/Über song.m4a: its tags are larger than 16 MB.");
    EXPECT_EQ(ImportProblemText(ImportProblem::None, file), "");
}

TEST_F(ImportTest, NeverReplacesOrFollowsWhatIsThere) {
    const std::string outside = in.file("outside.wav");
    WriteFileBytes(outside, "not yours");
    WriteFileBytes(out.file("Band - Song.wav"), "keep me");
    if (!MakeSymbolicLink(outside, out.file("Band - Song (2).wav"))) {
        // Where no link can be made, a file of someone else's holds the name in its place.
        ASSERT_FALSE(CanMakeLinks()) << "no link made";
        WriteFileBytes(out.file("Band - Song (2).wav"), "not yours either");
    }
    ASSERT_TRUE(CreateFolder(out.file("Band - Song (3).wav")));

    const std::string source = in.file("song.flac");
    ASSERT_TRUE(WriteAudioFile(
        source, AudioFileSpec(AudioFormat::Flac16(), 44100, 2, 0.5).Tags("Band", "Song")));
    const ImportedSong song = Import(source);
    ASSERT_EQ(song.problem, ImportProblem::None);
    EXPECT_EQ(song.path, out.file("Band - Song (4).wav"));
    EXPECT_EQ(ReadFileBytes(out.file("Band - Song.wav")), "keep me");
    EXPECT_EQ(ReadFileBytes(outside), "not yours");
    EXPECT_EQ(OutputNames(), (std::set<std::string>{"Band - Song.wav", "Band - Song (2).wav",
                                                    "Band - Song (3).wav", "Band - Song (4).wav"}));
}

TEST_F(ImportTest, UsesGoodWavFilesInPlace) {
    const auto acceptAll = [](const std::string&) { return true; };
    const auto refuseAll = [](const std::string&) { return false; };
    // A converted song is already at -16 LUFS: importing it again keeps it where it is.
    const std::string flac = in.file("level.flac");
    ASSERT_TRUE(WriteAudioFile(flac, AudioFileSpec(AudioFormat::Flac16(), 44100, 2, 2)));
    const ImportedSong matched = Import(flac);
    ASSERT_EQ(matched.problem, ImportProblem::None);
    const std::string atTarget = in.file("at target.wav");
    std::filesystem::rename(matched.path, atTarget);

    const std::string quiet22k = in.file("quiet.wav");
    ASSERT_TRUE(WriteAudioFile(
        quiet22k, AudioFileSpec(AudioFormat::Wav16(), 22050, 1, 1).Signal([](int, double time) {
            return 0.01f * std::sin(2 * M_PI * 440 * time);
        })));
    const std::string wav48k = in.file("48k.wav");
    ASSERT_TRUE(WriteAudioFile(wav48k, AudioFileSpec(AudioFormat::Wav16(), 48000, 1, 1)));

    struct Case {
        std::string source;
        bool loudness;
        std::function<bool(const std::string&)> asIs;
        bool inPlace;
    };
    const Case cases[] = {
        {atTarget, true, acceptAll, true},   {quiet22k, false, acceptAll, true},
        {quiet22k, true, acceptAll, false},  // would need far more than 0.5 dB
        {atTarget, false, refuseAll, false}, // the builder would not take it
        {wav48k, false, acceptAll, false},   // not a rate the game plays as it is
    };
    for (const Case& c : cases) {
        const ImportedSong song = Import(c.source, c.loudness, c.asIs);
        ASSERT_EQ(song.problem, ImportProblem::None);
        EXPECT_EQ(song.inPlace, c.inPlace) << c.source << " " << c.loudness;
        EXPECT_EQ(song.path == c.source, c.inPlace);
        if (c.inPlace) {
            EXPECT_EQ(song.gainDb, 0);
        }
    }
    EXPECT_EQ(OutputNames().size(), 3u);
}

TEST_F(ImportTest, ResultsDoNotDependOnThreads) {
    std::vector<std::string> sources;
    for (int index = 0; index < 5; ++index) {
        sources.push_back(in.file("s" + std::to_string(index) + (index % 2 ? ".mp3" : ".flac")));
        ASSERT_TRUE(WriteAudioFile(
            sources.back(), AudioFileSpec(index % 2 ? AudioFormat::Mp3() : AudioFormat::Flac16(),
                                          index % 2 ? 48000 : 44100, 2, 0.5 + 0.1 * index)));
    }
    sources.push_back(in.file("not audio.txt"));
    WriteFileBytes(sources.back(), "text");

    auto run = [&sources](const std::string& folder, int threads) {
        SongImporter importer(folder, ImportSettings{});
        ParallelImport batch(importer, sources, threads);
        while (!batch.WaitFor(std::chrono::milliseconds(50))) {
        }
        EXPECT_EQ(batch.Permille(), 1000);
        std::vector<std::string> outcome;
        for (ImportedSong& song : batch.TakeResults()) {
            SongImporter::Publish(song);
            outcome.push_back(ImportProblemText(song.problem, song.source) + song.title + "|" +
                              std::to_string(song.gainDb) + "|" +
                              (song.path.empty() ? "" : ReadFileBytes(song.path)));
        }
        return outcome;
    };
    TempFolder other;
    const auto one = run(out.path(), 1);
    EXPECT_EQ(one, run(other.path(), 4));
    EXPECT_EQ(one.size(), sources.size());
    EXPECT_EQ(one.back(),
              ImportProblemText(ImportProblem::NotAudio, sources.back()) + "|0.000000|");
}

TEST_F(ImportTest, CancelLeavesNoFile) {
    const std::string source = in.file("long.flac");
    ASSERT_TRUE(WriteAudioFile(source, AudioFileSpec(AudioFormat::Flac16(), 44100, 2, 5)));
    SongImporter importer(out.path(), ImportSettings{});
    std::atomic<bool> cancel{true};
    std::atomic<int> permille{0};
    const ImportedSong song = importer.Import(source, cancel, permille);
    EXPECT_EQ(song.problem, ImportProblem::Cancelled);
    EXPECT_FALSE(song.staged);
    EXPECT_TRUE(OutputNames().empty());
}

} // namespace
