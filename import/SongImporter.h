#pragma once
#include "import/ImportProblem.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class SafeFile;

struct ImportSettings {
    // Bring each song to -16 LUFS, with less gain where the true peak would pass -1 dBTP.
    bool matchLoudness = true;
    // Whether the builder takes a WAV file as it is; only such files are used in place.
    std::function<bool(const std::string& path)> acceptsAsIs;
};

// One source file's outcome.
struct ImportedSong {
    ImportedSong();
    ~ImportedSong();
    ImportedSong(ImportedSong&&) noexcept;
    ImportedSong& operator=(ImportedSong&&) noexcept;

    std::string source;
    ImportProblem problem = ImportProblem::None;
    std::string title;  // UTF-8, from the tags or the file name
    double seconds = 0; // length of the song as the builder gets it
    double gainDb = 0;  // gain applied
    bool inPlace = false;
    std::string path;                 // the song the builder gets, once known
    std::unique_ptr<SafeFile> staged; // the converted song, flushed, until it gets its name
};

// Turns one audio file into a mono 16-bit PCM WAV at 44,100 Hz: decode, average the channels,
// resample (libsoxr, high quality), measure loudness, apply one gain, TPDF-dither to 16 bits.
// Streams in blocks; between the two passes the samples wait in a SampleStore (16 MiB in
// memory, the rest in a scratch file), so memory stays bounded whatever the length. A mono 16-bit
// WAV at 22,050 or 44,100 Hz that the builder takes as it is stays where it is, unless loudness
// matching would change it by more than 0.5 dB. Safe to use from several threads at once.
class SongImporter {
public:
    static constexpr double kTargetLufs = -16.0;
    static constexpr double kPeakCeilingDb = -1.0;
    static constexpr double kInPlaceToleranceDb = 0.5;
    static constexpr double kMaxSeconds = 30 * 60;
    // How far libebur128's true peak can rise above the sample peak around it (a factor):
    // worst-case sign patterns reach about 1.87.
    static constexpr double kTruePeakOvershootBound = 2.0;

    SongImporter(std::string destinationFolder, ImportSettings settings);

    // Converts one file into a staged file (flushed, under a temporary name). Never throws:
    // problems come back in the result. Looks at `cancel` between blocks and keeps `permille` at
    // its progress.
    ImportedSong Import(const std::string& source, const std::atomic<bool>& cancel,
                        std::atomic<int>& permille) const;

    // Gives a converted song its file in the destination folder, named after its title,
    // never replacing a file ("Title.wav", else "Title (2).wav", ...), and sets its path.
    // Nothing to do for a song used in place. False (problem CannotWrite) when it fails.
    static bool Publish(ImportedSong& song);

    const std::string& destinationFolder() const { return folder_; }

private:
    std::string folder_;
    ImportSettings settings_;
};
