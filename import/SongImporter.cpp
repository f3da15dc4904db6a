#include "import/SongImporter.h"

#include "common/StagedFile.h"
#include "import/AudioDecoder.h"
#include "import/LoudnessMeter.h"
#include "import/MonoWavWriter.h"
#include "import/Resampler.h"
#include "import/SongFileName.h"
#include "import/SongTags.h"
#include "import/TpdfDither.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr std::int64_t kBlockFrames = 8192;
constexpr int kFirstPassPermille = 800;
constexpr double kOutputRate = MonoWavWriter::kSampleRate;
// An MP3 without a length header announces an estimate; a shortfall beyond this is damage.
constexpr double kEstimateSlack = 0.05;

struct Watch {
    const std::atomic<bool>& cancel;
    std::atomic<int>& permille;
};

// What the first pass found: the mono 44.1 kHz samples sit in the scratch file.
struct Measured {
    ImportProblem problem = ImportProblem::None;
    std::uint64_t samples = 0;
    double lufs = 0;
    double peakDb = 0;
};

void AverageChannels(const float* frames, std::int64_t count, int channels,
                     std::vector<float>& mono) {
    mono.resize(static_cast<std::size_t>(count));
    const float scale = 1.0f / static_cast<float>(channels);
    for (std::int64_t frame = 0; frame < count; ++frame) {
        float sum = 0;
        for (int channel = 0; channel < channels; ++channel)
            sum += frames[frame * channels + channel];
        mono[static_cast<std::size_t>(frame)] = sum * scale;
    }
}

bool Keep(const std::vector<float>& samples, StagedFile& scratch, LoudnessMeter* meter,
          Measured& measured) {
    if (samples.empty())
        return true;
    if (meter && !meter->Add(samples.data(), samples.size()))
        return false;
    measured.samples += samples.size();
    return scratch.Write(samples.data(), samples.size() * sizeof(float));
}

std::int64_t FrameLimit(const AudioDecoder& decoder) {
    return static_cast<std::int64_t>(SongImporter::kMaxSeconds * decoder.sampleRate());
}

bool AnnouncedTooLong(const AudioDecoder& decoder) {
    const double slack = decoder.framesEstimated() ? 1 + kEstimateSlack : 1;
    return static_cast<double>(decoder.frames()) > static_cast<double>(FrameLimit(decoder)) * slack;
}

bool CutShort(const AudioDecoder& decoder, std::int64_t decoded) {
    const double slack = decoder.framesEstimated() ? kEstimateSlack : 0;
    return static_cast<double>(decoded) < static_cast<double>(decoder.frames()) * (1 - slack) -
                                              (decoder.framesEstimated() ? 2 : 0);
}

// Decode, average, resample and measure, keeping the result in the scratch file.
Measured FirstPass(AudioDecoder& decoder, StagedFile& scratch, bool measure, const Watch& watch) {
    Measured measured;
    Resampler resampler(decoder.sampleRate(), kOutputRate);
    LoudnessMeter meter(static_cast<int>(kOutputRate));
    LoudnessMeter* meterOrNone = measure ? &meter : nullptr;
    std::vector<float> frames(static_cast<std::size_t>(kBlockFrames * decoder.channels()));
    std::vector<float> mono, resampled;
    std::int64_t decoded = 0;
    const double announced = std::max<double>(1, static_cast<double>(decoder.frames()));
    auto fail = [&measured](ImportProblem problem) {
        measured.problem = problem;
        return measured;
    };
    if (!resampler.ready())
        return fail(ImportProblem::Unsupported);
    for (;;) {
        if (watch.cancel.load(std::memory_order_relaxed))
            return fail(ImportProblem::Cancelled);
        const std::int64_t got = decoder.Read(frames.data(), kBlockFrames);
        if (got <= 0)
            break;
        decoded += got;
        if (decoded > FrameLimit(decoder))
            return fail(ImportProblem::TooLong);
        AverageChannels(frames.data(), got, decoder.channels(), mono);
        if (!resampler.Process(mono.data(), mono.size(), resampled))
            return fail(ImportProblem::Damaged);
        if (!Keep(resampled, scratch, meterOrNone, measured))
            return fail(ImportProblem::CannotWrite);
        watch.permille.store(
            static_cast<int>(std::min(1.0, static_cast<double>(decoded) / announced) *
                             kFirstPassPermille),
            std::memory_order_relaxed);
    }
    if (decoder.failed() || CutShort(decoder, decoded))
        return fail(ImportProblem::Damaged);
    if (decoded == 0)
        return fail(ImportProblem::Empty);
    if (!resampler.Finish(resampled) || !Keep(resampled, scratch, meterOrNone, measured))
        return fail(ImportProblem::CannotWrite);
    measured.lufs = meter.IntegratedLufs();
    measured.peakDb = meter.TruePeakDb();
    return measured;
}

// One gain to reach the target loudness, lowered where the true peak would pass the ceiling.
double GainFor(const Measured& measured) {
    if (!std::isfinite(measured.lufs))
        return 0; // silence: nothing to match
    double gain = SongImporter::kTargetLufs - measured.lufs;
    if (std::isfinite(measured.peakDb) && measured.peakDb + gain > SongImporter::kPeakCeilingDb)
        gain = SongImporter::kPeakCeilingDb - measured.peakDb;
    return gain;
}

// Gain and dither from the scratch file into the WAV file.
ImportProblem SecondPass(const StagedFile& scratch, std::uint64_t samples, double gainDb,
                         StagedFile& output, const Watch& watch) {
    MonoWavWriter writer(output);
    TpdfDither dither;
    const float gain = static_cast<float>(std::pow(10.0, gainDb / 20.0));
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames));
    std::vector<std::int16_t> pcm(block.size());
    if (!writer.Begin())
        return ImportProblem::CannotWrite;
    for (std::uint64_t done = 0; done < samples;) {
        if (watch.cancel.load(std::memory_order_relaxed))
            return ImportProblem::Cancelled;
        const std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), samples - done));
        if (!scratch.ReadAt(block.data(), count * sizeof(float), done * sizeof(float)))
            return ImportProblem::CannotWrite;
        for (std::size_t index = 0; index < count; ++index)
            pcm[index] = dither.Quantise(block[index] * gain);
        if (!writer.Write(pcm.data(), count))
            return ImportProblem::CannotWrite;
        done += count;
        watch.permille.store(kFirstPassPermille +
                                 static_cast<int>((1000 - kFirstPassPermille) * done / samples),
                             std::memory_order_relaxed);
    }
    return writer.Finish() ? ImportProblem::None : ImportProblem::CannotWrite;
}

} // namespace

ImportedSong::ImportedSong() = default;
ImportedSong::~ImportedSong() = default;
ImportedSong::ImportedSong(ImportedSong&&) noexcept = default;
ImportedSong& ImportedSong::operator=(ImportedSong&&) noexcept = default;

SongImporter::SongImporter(std::string destinationFolder, ImportSettings settings)
    : folder_(std::move(destinationFolder)), settings_(std::move(settings)) {}

ImportedSong SongImporter::Import(const std::string& source, const std::atomic<bool>& cancel,
                                  std::atomic<int>& permille) const {
    const Watch watch{cancel, permille};
    ImportedSong song;
    song.source = source;
    AudioDecoder decoder;
    song.problem = decoder.Open(source);
    if (song.problem != ImportProblem::None)
        return song;
    song.title = SongTitleFor(ReadSongTags(source), source);
    if (AnnouncedTooLong(decoder)) {
        song.problem = ImportProblem::TooLong;
        return song;
    }
    const bool usableAsIs = decoder.pcm16Wav() && decoder.channels() == 1 &&
                            (decoder.sampleRate() == 22050 || decoder.sampleRate() == 44100) &&
                            decoder.frames() > 0 && settings_.acceptsAsIs &&
                            settings_.acceptsAsIs(source);
    if (usableAsIs && !settings_.matchLoudness) {
        song.inPlace = true;
        song.path = source;
        song.seconds = static_cast<double>(decoder.frames()) / decoder.sampleRate();
        permille.store(1000);
        return song;
    }
    StagedFile scratch;
    if (!scratch.Create(folder_)) {
        song.problem = ImportProblem::CannotWrite;
        return song;
    }
    const Measured measured = FirstPass(decoder, scratch, settings_.matchLoudness, watch);
    if (measured.problem != ImportProblem::None) {
        song.problem = measured.problem;
        return song;
    }
    const double gain = settings_.matchLoudness ? GainFor(measured) : 0.0;
    if (usableAsIs && std::abs(gain) <= kInPlaceToleranceDb) {
        song.inPlace = true;
        song.path = source;
        song.seconds = static_cast<double>(decoder.frames()) / decoder.sampleRate();
        permille.store(1000);
        return song;
    }
    song.staged = std::make_unique<StagedFile>();
    if (!song.staged->Create(folder_)) {
        song.staged.reset();
        song.problem = ImportProblem::CannotWrite;
        return song;
    }
    song.problem = SecondPass(scratch, measured.samples, gain, *song.staged, watch);
    if (song.problem != ImportProblem::None) {
        song.staged.reset();
        return song;
    }
    song.gainDb = gain;
    song.seconds = static_cast<double>(measured.samples) / kOutputRate;
    return song;
}

bool SongImporter::Publish(ImportedSong& song) {
    if (song.problem != ImportProblem::None || song.inPlace)
        return song.problem == ImportProblem::None;
    const std::string stem = SafeFileStem(song.title);
    for (int attempt = 1; attempt <= 1000 && song.staged; ++attempt) {
        const std::string name = NumberedWavName(stem, attempt);
        if (song.staged->PublishAs(name)) {
            song.path = song.staged->folder() + "/" + name;
            song.staged.reset();
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    song.staged.reset();
    song.problem = ImportProblem::CannotWrite;
    return false;
}
