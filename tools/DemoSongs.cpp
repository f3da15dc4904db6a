// demo_songs: writes sixteen synthesised songs and a Korvane project listing them. Songs 1 to
// 15 are mono WAV files already in the project; song 16 is a tagged stereo FLAC file, left out
// of the project for `korvane --add` to import into its last slot.
//   demo_songs SONG_FOLDER PROJECT.velkp [LENGTH_SCALE]
//   demo_songs --one FILE.wav SECONDS
#include "builder/SongProject.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/NativePath.h"
#include "tools/SongSynth.h"

#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const double kSeconds[16] = {12, 8, 15, 6, 20, 10, 9, 14, 5, 18, 11, 7, 16, 13, 4, 16};
const char* const kTitles[16] = {
    "Dawn Over The Paddies", "River Patrol",   "Monsoon \"Blues\"", "Radio Hanoi",
    "Long Range Recon",      "Huey Lullaby",   "Firebase Evening",  "Delta Drift",
    "Short Timer",           "Jungle Canopy",  "Hill 881",          "Mekong Morning",
    "Night Ambush",          "Saigon Shuffle", "Extraction",        "Going Home"};

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The song as a stereo FLAC file with artist and title tags, as a player's own files are.
bool WriteTaggedFlac(const std::string& path, const std::vector<std::int16_t>& samples,
                     const char* title) {
    SF_INFO info{};
    info.samplerate = SongSynth::kSampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    sf_set_string(file, SF_STR_ARTIST, "Korvane Demo");
    sf_set_string(file, SF_STR_TITLE, title);
    std::vector<std::int16_t> stereo;
    stereo.reserve(samples.size() * 2);
    for (std::int16_t sample : samples)
        stereo.insert(stereo.end(), {sample, sample});
    const auto frames = static_cast<sf_count_t>(samples.size());
    const bool written = sf_writef_short(file, stereo.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

int WriteOne(const std::string& path, double seconds) {
    CreateFolderTree(FolderOf(path));
    return WriteFile(path, SongSynth::WavFile(SongSynth().Render(16, seconds))) ? 0 : 1;
}

int WriteAll(const std::string& folder, const std::string& projectPath, double scale) {
    CreateFolderTree(folder);
    std::string absolute = Utf8Path(std::filesystem::absolute(NativePath(folder)));
    SongProject project;
    project.Reset();
    SongSynth synth;
    for (int n = 1; n <= 16; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/song%.2d.wav", n);
        std::string path = absolute + name;
        const auto samples = synth.Render(n - 1, kSeconds[n - 1] * scale);
        if (n == 16) {
            path.replace(path.size() - 4, 4, ".flac");
            if (!WriteTaggedFlac(path, samples, kTitles[n - 1])) {
                std::fprintf(stderr, "demo_songs: cannot write %s\n", path.c_str());
                return 1;
            }
            continue;
        }
        if (!WriteFile(path, SongSynth::WavFile(samples))) {
            std::fprintf(stderr, "demo_songs: cannot write %s\n", path.c_str());
            return 1;
        }
        project.SlotAt(n).SetTitle(kTitles[n - 1]);
        project.SlotAt(n).SetPath(path);
    }
    project.SetQuality(4);
    project.SetPath(projectPath);
    if (!project.Save()) {
        std::fprintf(stderr, "demo_songs: cannot write %s\n", projectPath.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--one")
        return WriteOne(argv[2], std::atof(argv[3]));
    if (argc == 3 || argc == 4) {
        double scale = argc == 4 ? std::atof(argv[3]) : 1.0;
        return WriteAll(argv[1], argv[2], scale > 0 ? scale : 1.0);
    }
    std::fprintf(stderr, "usage: demo_songs SONG_FOLDER PROJECT.velkp [LENGTH_SCALE]\n"
                         "       demo_songs --one FILE.wav SECONDS\n");
    return 2;
}
