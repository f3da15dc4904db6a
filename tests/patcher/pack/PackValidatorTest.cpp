#include "patcher/pack/PackValidator.h"

#include "common/PackLayout.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/install/ApplyPatch.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "platform/FileOps.h"
#include "tests/patcher/RecordingControls.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"

#include "archive/FlatArchiveWriter.h"
#include "archive/UnpackArchive.h"
#include "builder/GameScripts.h"
#include "builder/ScriptTitle.h"
#include "builder/SongProject.h"
#include "patcher/pack/PlaylistScriptReader.h"
#include "tests/audio/OggFixture.h"
#include "tests/patcher/PackFixture.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <ogg/ogg.h>

#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

const std::string kTitles[] = {"Say \"hi\"\r\nrun ../../evil.con\r\nrem \"", "Tab\there",
                               std::string("nul\0esc\x1b[2J", 12), "Plain"};

// Korvane's scripts for a project with hostile titles, and the fixture songs, packed by
// the archive writer and extracted again into <temp>/work, as the patcher would.
class KorvanePack {
public:
    KorvanePack() {
        SongProject project;
        for (int position = 1; position <= 16; ++position) {
            project.SlotAt(position).SetTitle(kTitles[(position - 1) % 4]);
            project.SlotAt(position).SetStoredLength(static_cast<float>(position));
        }
        const std::string build = temp_.file("velk_work");
        fs::create_directories(build);
        EXPECT_TRUE(project.WritePlaylistScript(build + "/playlists.con"));
        EXPECT_TRUE(WriteSoundScript(build + "/US.ssc"));
        for (int n = 1; n <= 16; ++n)
            WriteFileBytes(build + "/" + Song(n), SongOggs()[static_cast<std::size_t>(n - 1)]);
        FlatArchiveWriter writer;
        writer.sourceFolder = build;
        writer.namePrefix = "velk";
        EXPECT_TRUE(writer.WriteArchive(temp_.file("pack.velk")));
        fs::create_directories(work());
        EXPECT_TRUE(UnpackArchive(temp_.file("pack.velk"), work(), nullptr));
    }
    std::string work() const { return temp_.file("work"); }
    std::string file() const { return temp_.file("pack.velk"); }
    std::string root() const { return temp_.path(); }
    std::string velk(const std::string& name) const { return work() + "/velk/" + name; }
    static std::string Song(int n) { return PackLayout::SongFileName(n); }

private:
    TempFolder temp_;
};

TEST(PackValidator, KorvanesPackFromHostileTitlesPassesWithItsTwentyEightLines) {
    KorvanePack pack;
    PackValidator validator(pack.work());
    ASSERT_EQ(validator.Check(), "");
    const std::string script = ReadFileBytes(pack.velk("playlists.con"));
    std::vector<ListedSong> listed;
    ASSERT_EQ(ReadPlaylistScript(script, listed), "");
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = script.find("\r\n", at)) != std::string::npos; at += 2)
        ++lines;
    EXPECT_EQ(lines, 28u);
    EXPECT_EQ(std::count(script.begin(), script.end(), '\n'), 28);
    ASSERT_EQ(validator.Songs().size(), 16u);
    for (int n = 1; n <= 16; ++n) {
        const PackSong& song = validator.Songs()[static_cast<std::size_t>(n - 1)];
        EXPECT_EQ(song.title, ScriptTitle(kTitles[(n - 1) % 4]));
        EXPECT_EQ(song.listedLength, std::to_string(n) + ".0");
        EXPECT_EQ(song.rate, 22050);
        EXPECT_DOUBLE_EQ(song.seconds, (2205 + 97 * n) / 22050.0);
    }
    EXPECT_EQ(validator.Songs()[0].title, "Say 'hi'  run ../../evil.con  rem '");
}

TEST(PackValidator, KorvanesPackFromHostileTitlesInstalls) {
    KorvanePack pack;
    const std::string game = pack.root() + "/BFV";
    const std::string base = pack.root() + "/program";
    MakeGameFolder(game);
    ASSERT_TRUE(CreateFolder(base));
    FakePrompts prompts;
    RecordingControls controls;
    ASSERT_TRUE(BackupOriginals(game, prompts, controls));
    ASSERT_TRUE(PrepareWorkFolder(base, prompts));
    FakeProgress progress;
    ASSERT_TRUE(ApplyPatch(game, pack.file(), base, prompts, progress)) << prompts.messages.back();
    EXPECT_EQ(ReadFileBytes(InstalledPlaylists(game)), ReadFileBytes(pack.velk("playlists.con")));
}

TEST(PackValidator, LeavesOutWhatWasThereBeforeAndStopsWhenCancelled) {
    KorvanePack pack;
    WriteFileBytes(pack.work() + "/leftover.txt", "from a failed run");
    PackValidator fresh(pack.work());
    EXPECT_EQ(fresh.Check(OggSongDepth::HeadersOnly),
              "The pack holds entries Korvane never writes: leftover.txt.");
    PackValidator noted(pack.work());
    noted.NoteEarlierContents();
    EXPECT_EQ(noted.Check(OggSongDepth::HeadersOnly), "");
    int asks = 0;
    EXPECT_EQ(noted.Check(OggSongDepth::DecodeEverySong, [&] { return ++asks == 3; }),
              "The check of the pack was cancelled.");
    EXPECT_EQ(asks, 3);
    EXPECT_TRUE(noted.WasCancelled());
    EXPECT_TRUE(noted.Songs().empty());
}

// The Ogg file with the granule position of its last page replaced, the page's checksum
// made right again.
std::string WithLastGranule(std::string ogg, std::int64_t granule) {
    const std::size_t at = ogg.rfind("OggS");
    auto* header = reinterpret_cast<unsigned char*>(&ogg[at]);
    for (int i = 0; i < 8; ++i)
        header[6 + i] = static_cast<unsigned char>(granule >> (8 * i));
    const long headerLength = 27 + header[26];
    ogg_page page{header, headerLength, header + headerLength,
                  static_cast<long>(ogg.size() - at) - headerLength};
    ogg_page_checksum_set(&page);
    return ogg;
}

std::string OggTone(int channels, int rate, int frames, int streams = 1) {
    TempFolder folder;
    std::FILE* out = std::fopen(folder.file("t.ogg").c_str(), "wb");
    EXPECT_NE(out, nullptr);
    for (int stream = 0; stream < streams; ++stream)
        EXPECT_EQ(AppendOggTone(out, channels, rate, frames, 7 + stream), 0);
    std::fclose(out);
    return ReadFileBytes(folder.file("t.ogg"));
}

// A song of several audio pages; with one page only, libvorbisfile reads a changed
// granule position as a stream that starts late.
const std::string& FourSeconds() {
    static const std::string ogg = OggTone(1, 22050, 4 * 22050);
    return ogg;
}

struct HostilePack {
    const char* what;
    std::function<void(const KorvanePack&)> change;
    std::string message;
    OggSongDepth depth = OggSongDepth::DecodeEverySong;
};

void Replace(const std::string& path, const std::function<void(std::string&)>& edit) {
    std::string bytes = ReadFileBytes(path);
    edit(bytes);
    WriteFileBytes(path, bytes);
}

const std::string kSongTwelve = "music12.ogg is refused: ";

std::vector<HostilePack> HostilePacks() {
    const auto song = [](const KorvanePack& p) { return p.velk("music12.ogg"); };
    std::vector<HostilePack> packs = {
        // DEL and the C1 CSI (U+009B) are the terminal controls Windows allows in a file name.
        {"extra entries",
         [](auto& p) {
             WriteFileBytes(p.velk("evil.con"), "run x");
             fs::create_directories(p.work() + "/other");
             WriteFileBytes(p.work() + "/other/a\x7f\xc2\x9b"
                                       "31m",
                            "");
         },
         "The pack holds entries Korvane never writes: other/a\\x7F\\xC2\\x9B31m, "
         "velk/evil.con."},
        {"missing script", [](auto& p) { fs::remove(p.velk("playlists.con")); },
         "playlists.con is missing."},
        {"missing sound script", [](auto& p) { fs::remove(p.velk("US.ssc")); },
         "US.ssc is missing."},
        {"missing song", [](auto& p) { fs::remove(p.velk("music16.ogg")); },
         "music16.ogg is missing."},
        {"one byte of US.ssc",
         [](auto& p) { Replace(p.velk("US.ssc"), [](std::string& b) { b[100] ^= 1; }); },
         "US.ssc is refused: it is not the sound script Korvane writes."},
        {"extra console line",
         [](auto& p) {
             Replace(p.velk("playlists.con"), [](std::string& b) {
                 b.insert(b.find("\r\n\r\nrem CustomPlaylist") + 2, "run ../../evil.con\r\n");
             });
         },
         "playlists.con is refused: line 23 is not what Korvane writes."},
        {"quote in a title",
         [](auto& p) {
             Replace(p.velk("playlists.con"),
                     [](std::string& b) { b.replace(b.find("\"Plain\""), 7, "\"Pl\"ain\""); });
         },
         "playlists.con is refused: the title in line 10 holds a quote or a control character."},
        {"bare line feeds",
         [](auto& p) {
             Replace(p.velk("playlists.con"), [](std::string& b) {
                 for (std::size_t at; (at = b.find("\r\n")) != std::string::npos;)
                     b.erase(at, 1);
             });
         },
         "playlists.con is refused: line 1 is not what Korvane writes."},
        {"playlist over 1 MiB",
         [](auto& p) {
             Replace(p.velk("playlists.con"),
                     [](std::string& b) { b += std::string(1 << 20, 'x'); });
         },
         "playlists.con is refused: it is not a file of at most 1 MiB."},
        {"stereo song", [=](auto& p) { WriteFileBytes(song(p), OggTone(2, 22050, 2000)); },
         kSongTwelve + "it is not mono."},
        {"rate below 8 kHz", [=](auto& p) { WriteFileBytes(song(p), OggTone(1, 7000, 2000)); },
         kSongTwelve + "its rate of 7000 Hz is outside 8,000 to 48,000 Hz."},
        {"rate above 48 kHz", [=](auto& p) { WriteFileBytes(song(p), OggTone(1, 96000, 2000)); },
         kSongTwelve + "its rate of 96000 Hz is outside 8,000 to 48,000 Hz."},
        {"chained song", [=](auto& p) { WriteFileBytes(song(p), OggTone(1, 22050, 2000, 2)); },
         kSongTwelve + "it holds more than one logical stream."},
        {"not Ogg", [=](auto& p) { WriteFileBytes(song(p), "RIFF....WAVE"); },
         kSongTwelve + "it is not Ogg Vorbis."},
        {"over 30 minutes",
         [=](auto& p) { WriteFileBytes(song(p), WithLastGranule(FourSeconds(), 22050LL * 1801)); },
         kSongTwelve + "it is longer than 30 minutes.", OggSongDepth::HeadersOnly},
        {"headers claim more than decodes",
         [=](auto& p) { WriteFileBytes(song(p), WithLastGranule(FourSeconds(), 22050 * 5)); },
         kSongTwelve + "it does not decode cleanly."},
        {"damaged page",
         [=](auto& p) {
             std::string ogg = FourSeconds();
             ogg[ogg.rfind("OggS", ogg.rfind("OggS") - 1) + 200] ^= 0x55; // next to last page
             WriteFileBytes(song(p), ogg);
         },
         kSongTwelve + "it does not decode cleanly."}};
#ifndef _WIN32
    // Windows refuses C0 controls in file names, so only POSIX can hold such an entry.
    packs.push_back({"extra entries with C0 controls",
                     [](auto& p) {
                         fs::create_directories(p.work() + "/other");
                         WriteFileBytes(p.work() + "/other/a\r\x1b[31m", "");
                     },
                     "The pack holds entries Korvane never writes: other/a\\r\\x1B[31m."});
#endif
    return packs;
}

void PrintTo(const HostilePack& pack, std::ostream* out) {
    *out << pack.what;
}

class HostilePackTest : public testing::TestWithParam<HostilePack> {};

TEST_P(HostilePackTest, IsRefusedWithAMessageNamingIt) {
    KorvanePack pack;
    GetParam().change(pack);
    for (int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        PackValidator validator(pack.work());
        validator.SetThreads(threads);
        EXPECT_EQ(validator.Check(GetParam().depth), GetParam().message);
        EXPECT_TRUE(validator.Songs().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostilePackTest, testing::ValuesIn(HostilePacks()),
                         [](const auto& tested) {
                             std::string name = tested.param.what;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST(PackValidator, HeadersOnlyLeavesTheDecodingOut) {
    KorvanePack pack;
    WriteFileBytes(pack.velk("music12.ogg"), WithLastGranule(FourSeconds(), 22050 * 5));
    PackValidator validator(pack.work());
    ASSERT_EQ(validator.Check(OggSongDepth::HeadersOnly), "");
    EXPECT_NEAR(validator.Songs()[11].seconds, 5.0, 0.1);
}

TEST(PackValidator, SongsCheckedTogetherGiveTheFirstRefusalAndTheSameFacts) {
    KorvanePack pack;
    PackValidator serial(pack.work());
    ASSERT_EQ(serial.Check(), "");
    PackValidator together(pack.work());
    together.SetThreads(16);
    ASSERT_EQ(together.Check(), "");
    for (std::size_t index = 0; index < 16; ++index) {
        EXPECT_EQ(together.Songs()[index].rate, serial.Songs()[index].rate);
        EXPECT_EQ(together.Songs()[index].seconds, serial.Songs()[index].seconds);
    }
    WriteFileBytes(pack.velk("music05.ogg"), "RIFF....WAVE");
    WriteFileBytes(pack.velk("music11.ogg"), "RIFF....WAVE");
    EXPECT_EQ(together.Check(), "music05.ogg is refused: it is not Ogg Vorbis.");
}

} // namespace
