#include "import/SongImporter.h"

#include "import/AudioDecoder.h"
#include "import/LoudnessMeter.h"
#include "import/MonoWavWriter.h"
#include "import/Resampler.h"
#include "import/SampleStore.h"
#include "import/SongFileName.h"
#include "import/SongTags.h"
#include "import/TpdfDither.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/SafeFile.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr std::int64_t kBlockFrames = 16384;
constexpr int kFirstPassPermille = 800;
constexpr double kOutputRate = MonoWavWriter::kSampleRate;
// An MP3 without a length header announces an estimate; a shortfall beyond this is damage.
constexpr double kEstimateSlack = 0.05;
// Sample peaks are kept per block, so the true peak is measured only where it can matter.
constexpr std::uint64_t kPeakBlock = 8192;
// Samples of context on either side of a block measured on its own: more than the span of
// the true-peak interpolator.
constexpr std::uint64_t kPeakContext = 32;

struct Watch {
    const std::atomic<bool>& cancel;
    std::atomic<int>& permille;
};

// What the first pass found: the mono 44.1 kHz samples sit in the sample store.
struct Measured {
    ImportProblem problem = ImportProblem::None;
    std::uint64_t samples = 0;
    double lufs = 0;
    std::vector<float> blockPeaks; // sample peak of each kPeakBlock samples
};

void AverageChannels(const float* frames, std::int64_t count, int channels,
                     std::vector<float>& mono) {
    mono.resize(static_cast<std::size_t>(count));
    const float scale = 1.0f / static_cast<float>(channels);
    for (std::int64_t frame = 0; frame < count; ++frame) {
        float sum = 0;
        for (int channel = 0; channel < channels; ++channel) {
            const float sample = frames[frame * channels + channel];
            sum += std::isfinite(sample) ? sample : 0.0f; // float files may hold NaN or infinity
        }
        mono[static_cast<std::size_t>(frame)] = sum * scale;
    }
}

void NotePeaks(const std::vector<float>& samples, Measured& measured) {
    const std::uint64_t end = measured.samples + samples.size();
    measured.blockPeaks.resize(static_cast<std::size_t>((end + kPeakBlock - 1) / kPeakBlock), 0);
    for (std::uint64_t at = measured.samples; at < end;) {
        const std::uint64_t blockEnd = std::min(end, (at / kPeakBlock + 1) * kPeakBlock);
        float peak = measured.blockPeaks[static_cast<std::size_t>(at / kPeakBlock)];
        for (std::uint64_t index = at; index < blockEnd; ++index)
            peak = std::max(peak,
                            std::abs(samples[static_cast<std::size_t>(index - measured.samples)]));
        measured.blockPeaks[static_cast<std::size_t>(at / kPeakBlock)] = peak;
        at = blockEnd;
    }
}

bool Keep(const std::vector<float>& samples, SampleStore& store, LoudnessMeter* meter,
          Measured& measured) {
    if (samples.empty())
        return true;
    if (meter && !meter->Add(samples.data(), samples.size()))
        return false;
    NotePeaks(samples, measured);
    measured.samples += samples.size();
    return store.Append(samples.data(), samples.size());
}

std::int64_t FrameLimit(const AudioDecoder& decoder) {
    return static_cast<std::int64_t>(SongImporter::kMaxSeconds * decoder.sampleRate());
}

bool AnnouncedTooLong(const AudioDecoder& decoder) {
    if (decoder.lengthUnknown())
        return false; // decoding tells: a cut-short file then comes out damaged
    const double slack = decoder.framesEstimated() ? 1 + kEstimateSlack : 1;
    return static_cast<double>(decoder.frames()) > static_cast<double>(FrameLimit(decoder)) * slack;
}

bool CutShort(const AudioDecoder& decoder, std::int64_t decoded) {
    const double slack = decoder.framesEstimated() ? kEstimateSlack : 0;
    return static_cast<double>(decoded) < static_cast<double>(decoder.frames()) * (1 - slack) -
                                              (decoder.framesEstimated() ? 2 : 0);
}

// Decode, average, resample and measure, keeping the result in the sample store.
Measured FirstPass(AudioDecoder& decoder, SampleStore& store, bool measure, const Watch& watch) {
    Measured measured;
    Resampler resampler(decoder.sampleRate(), kOutputRate);
    LoudnessMeter meter(static_cast<int>(kOutputRate), LoudnessMeter::Measure::Loudness);
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
        if (!resampler.passesThrough() && !resampler.Process(mono.data(), mono.size(), resampled))
            return fail(ImportProblem::Damaged);
        if (!Keep(resampler.passesThrough() ? mono : resampled, store, meterOrNone, measured))
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
    if (!resampler.Finish(resampled) || !Keep(resampled, store, meterOrNone, measured))
        return fail(ImportProblem::CannotWrite);
    measured.lufs = meter.IntegratedLufs();
    return measured;
}

double DbToFactor(double db) {
    return std::pow(10.0, db / 20.0);
}

// The highest true peak among the blocks whose sample peak exceeds `floor`, each measured with
// its neighbourhood; 0 when there is none. A block below the floor cannot reach floor times
// the interpolator's overshoot bound.
double TruePeakAbove(const SampleStore& store, const Measured& measured, double floor) {
    double highest = 0;
    std::vector<float> samples;
    for (std::size_t block = 0; block < measured.blockPeaks.size(); ++block) {
        if (measured.blockPeaks[block] <= floor)
            continue;
        const std::uint64_t begin = block * kPeakBlock;
        const std::uint64_t first = begin > kPeakContext ? begin - kPeakContext : 0;
        const std::uint64_t last = std::min(measured.samples, begin + kPeakBlock + kPeakContext);
        samples.resize(static_cast<std::size_t>(last - first));
        LoudnessMeter meter(static_cast<int>(kOutputRate), LoudnessMeter::Measure::TruePeak);
        if (!store.Read(first, samples.size(), samples.data()) ||
            !meter.Add(samples.data(), samples.size()))
            return std::numeric_limits<double>::infinity(); // unknown: no gain can be trusted
        highest = std::max(highest, meter.TruePeak());
    }
    return highest;
}

// One gain to reach the target loudness, lowered where the true peak would pass the ceiling.
// Only blocks whose sample peak could carry a true peak past the ceiling are measured.
double GainFor(const SampleStore& store, const Measured& measured) {
    if (!std::isfinite(measured.lufs))
        return 0; // silence: nothing to match
    const double gain = SongImporter::kTargetLufs - measured.lufs;
    const double limit = DbToFactor(SongImporter::kPeakCeilingDb - gain);
    const double truePeak =
        TruePeakAbove(store, measured, limit / SongImporter::kTruePeakOvershootBound);
    if (truePeak <= limit)
        return gain;
    return std::isfinite(truePeak) ? SongImporter::kPeakCeilingDb - 20 * std::log10(truePeak) : 0;
}

// Gain and dither from the sample store into the WAV file.
ImportProblem SecondPass(const SampleStore& store, std::uint64_t samples, double gainDb,
                         SafeFile& output, const Watch& watch) {
    MonoWavWriter writer(output, samples);
    TpdfDither dither;
    const auto gain = static_cast<float>(DbToFactor(gainDb));
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames));
    std::vector<std::int16_t> pcm(block.size());
    if (!writer.Begin())
        return ImportProblem::CannotWrite;
    for (std::uint64_t done = 0; done < samples;) {
        if (watch.cancel.load(std::memory_order_relaxed))
            return ImportProblem::Cancelled;
        const std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), samples - done));
        if (!store.Read(done, count, block.data()))
            return ImportProblem::CannotWrite;
        dither.Quantise(block.data(), count, gain, pcm.data());
        if (!writer.Write(pcm.data(), count))
            return ImportProblem::CannotWrite;
        done += count;
        watch.permille.store(kFirstPassPermille +
                                 static_cast<int>((1000 - kFirstPassPermille) * done / samples),
                             std::memory_order_relaxed);
    }
    // Flushed here, on the worker, so publishing it later is a rename only.
    return writer.Finish() && output.Stage() ? ImportProblem::None : ImportProblem::CannotWrite;
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
    song.title = SongTitleFor(ReadSongTags(decoder.input(), source), source);
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
    SampleStore store(folder_);
    const Measured measured = FirstPass(decoder, store, settings_.matchLoudness, watch);
    if (measured.problem != ImportProblem::None) {
        song.problem = measured.problem;
        return song;
    }
    const double gain = settings_.matchLoudness ? GainFor(store, measured) : 0.0;
    if (usableAsIs && std::abs(gain) <= kInPlaceToleranceDb) {
        song.inPlace = true;
        song.path = source;
        song.seconds = static_cast<double>(decoder.frames()) / decoder.sampleRate();
        permille.store(1000);
        return song;
    }
    song.staged =
        std::make_unique<SafeFile>(folder_ + "/" + NumberedWavName(SafeFileStem(song.title), 1));
    song.problem = SecondPass(store, measured.samples, gain, *song.staged, watch);
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
    const std::string folder = FolderOf(song.staged->Target());
    const std::string stem = SafeFileStem(song.title);
    // The staged file takes the first free name; a name that is taken, even by a link or a
    // folder, is passed over, never replaced or followed.
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const std::string candidate = folder + "/" + NumberedWavName(stem, attempt);
        const FileResult renamed = RenameRefusing(song.staged->TemporaryPath(), candidate);
        if (renamed) {
            song.staged->Keep();
            song.staged.reset();
            if (FlushFolder(folder)) {
                song.path = candidate;
                return true;
            }
            // Not sure to survive a crash: taken back rather than left without a slot.
            RemoveFile(candidate);
            break;
        }
        if (renamed.Kind() != FileFailure::Exists)
            break;
    }
    song.staged.reset();
    song.problem = ImportProblem::CannotWrite;
    return false;
}
