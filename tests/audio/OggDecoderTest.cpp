#include "audio/OggDecoder.h"
#include "tests/audio/OggFixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNames.h"
#include "tests/support/WavFixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <thread>
#else
#include <unistd.h>
#endif

namespace {

// The 44-byte header as the layout documents it, for a data part of dataBytes.
std::string ExpectedHeader(int channels, std::uint32_t rate, std::uint32_t dataBytes) {
    std::string out = "RIFF";
    PutLE32(out, dataBytes + 36);
    out += "WAVEfmt ";
    PutLE32(out, 16);
    PutLE16(out, 1);
    PutLE16(out, static_cast<std::uint16_t>(channels));
    PutLE32(out, rate);
    PutLE32(out, rate * channels * 2);
    PutLE16(out, static_cast<std::uint16_t>(channels * 2));
    PutLE16(out, 16);
    out += "data";
    PutLE32(out, dataBytes);
    return out;
}

struct HeaderCase {
    int channels;
    int rate;
    int frames;
};

class DecodedHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(DecodedHeader, MatchesTheLayoutByteForByte) {
    const HeaderCase& c = GetParam();
    TempFolder temp;
    ASSERT_TRUE(WriteOggTone(temp.file("music01.ogg"), c.channels, c.rate, c.frames));
    OggDecoder decoder;
    ASSERT_TRUE(decoder.decodeToWav(temp.file("music01.ogg")));
    std::string wav = ReadFileBytes(temp.file("music01.wav"));
    const auto dataBytes = static_cast<std::uint32_t>(c.frames * c.channels * 2);
    ASSERT_EQ(wav.size(), 44u + dataBytes);
    EXPECT_EQ(wav.substr(0, 44), ExpectedHeader(c.channels, c.rate, dataBytes));
}

INSTANTIATE_TEST_SUITE_P(Layouts, DecodedHeader,
                         testing::Values(HeaderCase{1, 22050, 12345}, HeaderCase{2, 44100, 4410}),
                         [](const auto& tested) {
                             return "Channels" + NumberName(tested.param.channels) + "Rate" +
                                    NumberName(tested.param.rate);
                         });

TEST(OggDecoder, OutputNameReplacesFromTheLastDot) {
    TempFolder temp;
    ASSERT_TRUE(std::filesystem::create_directory(temp.file("a.b")));
    ASSERT_TRUE(WriteOggTone(temp.file("a.b/song"), 1, 8000, 800));
    OggDecoder decoder;
    EXPECT_TRUE(decoder.decodeToWav(temp.file("a.b/song")));
    EXPECT_TRUE(std::filesystem::exists(temp.file("a.wav"))); // the folder's "." counts
    EXPECT_FALSE(std::filesystem::exists(temp.file("a.b/song.wav")));

    ASSERT_TRUE(WriteOggTone(temp.file("x.y.ogg"), 1, 8000, 800));
    EXPECT_TRUE(decoder.decodeToWav(temp.file("x.y.ogg")));
    EXPECT_TRUE(std::filesystem::exists(temp.file("x.y.wav")));
}

TEST(OggDecoder, PathWithoutDotGetsWavAppended) {
    TempFolder temp;
    ASSERT_TRUE(WriteOggTone(temp.file("song"), 1, 8000, 800));
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.path());
    OggDecoder decoder;
    bool decoded = decoder.decodeToWav("song");
    std::filesystem::current_path(previous);
    EXPECT_TRUE(decoded);
    EXPECT_TRUE(std::filesystem::exists(temp.file("song.wav")));
}

TEST(OggDecoder, PathsLongerThan511CharactersWork) {
    TempFolder temp;
    std::string folder = temp.path();
    for (int i = 0; i < 3; ++i)
        folder += "/" + std::string(200, static_cast<char>('a' + i));
    ASSERT_TRUE(std::filesystem::create_directories(folder));
    std::string input = folder + "/music01.ogg";
    ASSERT_GT(input.size(), 600u);
    ASSERT_TRUE(WriteOggTone(input, 1, 8000, 800));
    OggDecoder decoder;
    EXPECT_TRUE(decoder.decodeToWav(input));
    EXPECT_EQ(ReadFileBytes(folder + "/music01.wav").size(), 44u + 1600u);
}

TEST(OggDecoder, NonVorbisInputLeavesAnEmptyFileAndFails) {
    TempFolder temp;
    WriteFileBytes(temp.file("music01.ogg"), "RIFF this is not an Ogg stream at all, just text");
    OggDecoder decoder;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(decoder.decodeToWav(temp.file("music01.ogg")));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Failed to open input as vorbis\n");
    ASSERT_TRUE(std::filesystem::exists(temp.file("music01.wav")));
    EXPECT_EQ(std::filesystem::file_size(temp.file("music01.wav")), 0u);
}

TEST(OggDecoder, MissingInputCreatesNothing) {
    TempFolder temp;
    OggDecoder decoder;
    testing::internal::CaptureStderr();
    EXPECT_EQ(decoder.decodeFile(temp.file("none.ogg"), temp.file("none.wav")), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ERROR: Failed to open input file: No such file or directory\n");
    EXPECT_FALSE(std::filesystem::exists(temp.file("none.wav")));
}

TEST(OggDecoder, UnwritableOutputFails) {
    TempFolder temp;
    ASSERT_TRUE(WriteOggTone(temp.file("music01.ogg"), 1, 8000, 800));
    OggDecoder decoder;
    testing::internal::CaptureStderr();
    EXPECT_EQ(decoder.decodeFile(temp.file("music01.ogg"), temp.file("no/such/folder.wav")), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ERROR: Failed to open output file: No such file or directory\n");
}

// A full disk fails the decode wherever the output first meets it: with the data of a long
// song, or with the header's rewrite when a short song fits in the output's buffer.
#ifdef _WIN32
// Windows has no /dev/full: its counterpart is an output pipe whose reader goes away as soon
// as the decoder has opened it, so that every write fails.
TEST(OggDecoder, OutputNobodyTakesFailsTheDecode) {
    TempFolder temp;
    ASSERT_TRUE(WriteOggTone(temp.file("music01.ogg"), 2, 44100, 4 * 44100));
    const std::string pipe = "//./pipe/kptest-decode-" + std::to_string(GetCurrentProcessId());
    const std::wstring widePipe(pipe.begin(), pipe.end());
    HANDLE reader = CreateNamedPipeW(widePipe.c_str(), PIPE_ACCESS_INBOUND,
                                     PIPE_TYPE_BYTE | PIPE_WAIT, 1, 64, 64, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    std::thread leaves([reader] {
        ConnectNamedPipe(reader, nullptr);
        CloseHandle(reader);
    });
    OggDecoder decoder;
    testing::internal::CaptureStderr();
    EXPECT_EQ(decoder.decodeFile(temp.file("music01.ogg"), pipe), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    // Should the decoder never have connected, this lets the waiting reader go.
    HANDLE late =
        CreateFileW(widePipe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (late != INVALID_HANDLE_VALUE)
        CloseHandle(late);
    leaves.join();
    EXPECT_EQ(err.rfind("Error writing to file: ", 0), 0u) << err;
}
#else
TEST(OggDecoder, FullDiskFailsTheDecode) {
    const struct {
        int frames;
        const char* message;
    } cases[] = {{4 * 44100, "Error writing to file: No space left on device\n"},
                 {4410, "ERROR: Failed to seek on seekable file: No space left on device\n"}};
    for (const auto& c : cases) {
        TempFolder temp;
        ASSERT_TRUE(WriteOggTone(temp.file("music01.ogg"), 2, 44100, c.frames));
        OggDecoder decoder;
        testing::internal::CaptureStderr();
        EXPECT_EQ(decoder.decodeFile(temp.file("music01.ogg"), "/dev/full"), 1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
    }
}
#endif

TEST(OggDecoder, ChainedFileDecodesOnlyTheFirstStream) {
    // The first stream spans several pages: libvorbisfile skips a first link whose audio is
    // a single end-of-stream page.
    const int firstFrames = 8 * 22050;
    TempFolder temp;
    std::FILE* out = std::fopen(temp.file("music01.ogg").c_str(), "wb");
    ASSERT_TRUE(out);
    ASSERT_EQ(AppendOggTone(out, 1, 22050, firstFrames, 1), 0);
    ASSERT_EQ(AppendOggTone(out, 2, 44100, 9000, 2), 0);
    ASSERT_EQ(std::fclose(out), 0);

    OggDecoder decoder;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(decoder.decodeToWav(temp.file("music01.ogg")));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Only one logical bitstream currently supported\n");
    std::string wav = ReadFileBytes(temp.file("music01.wav"));
    const std::uint32_t dataBytes = 2 * firstFrames;
    ASSERT_EQ(wav.size(), 44u + dataBytes);
    EXPECT_EQ(wav.substr(0, 44), ExpectedHeader(1, 22050, dataBytes));
}

// Opens an encoded file with libvorbisfile for the header writers.
class OpenVorbis {
public:
    explicit OpenVorbis(const std::string& path) {
        std::FILE* in = std::fopen(path.c_str(), "rb");
        opened_ = in && ov_open(in, &file_, nullptr, 0) == 0;
        if (in && !opened_)
            std::fclose(in);
    }
    ~OpenVorbis() {
        if (opened_)
            ov_clear(&file_);
    }
    bool opened() const { return opened_; }
    OggVorbis_File* get() { return &file_; }

private:
    OggVorbis_File file_{};
    bool opened_ = false;
};

TEST(OggDecoder, HeaderSizesForUnknownAndKnownLengths) {
    TempFolder temp;
    ASSERT_TRUE(WriteOggTone(temp.file("s.ogg"), 2, 44100, 1000));
    OpenVorbis vorbis(temp.file("s.ogg"));
    ASSERT_TRUE(vorbis.opened());
    std::FILE* out = std::tmpfile();
    ASSERT_TRUE(out);
    OggDecoder decoder;

    ASSERT_EQ(decoder.writeWavHeader(vorbis.get(), out, 0), 0);
    std::string header(reinterpret_cast<const char*>(decoder.header().data()), 44);
    EXPECT_EQ(header.substr(4, 4), std::string("\xF7\xFF\xFF\x7F", 4));
    EXPECT_EQ(header.substr(40, 4), std::string("\xD3\xFF\xFF\x7F", 4));

    // One minute of 44.1 kHz stereo.
    ASSERT_EQ(decoder.writeWavHeader(vorbis.get(), out, 60 * 44100), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(decoder.header().data()), 44),
              ExpectedHeader(2, 44100, 10584000));

    ASSERT_EQ(decoder.rewriteWavHeader(out, 4000), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(decoder.header().data()), 44),
              ExpectedHeader(2, 44100, 4000));
    std::fclose(out);
}

// The C library's pipe: a stream that cannot seek.
int MakePipe(int fds[2]) {
#ifdef _WIN32
    return _pipe(fds, 4096, _O_BINARY);
#else
    return pipe(fds);
#endif
}

TEST(OggDecoder, RewriteOnAnUnseekableStreamFails) {
    int fds[2];
    ASSERT_EQ(MakePipe(fds), 0);
    std::FILE* out = fdopen(fds[1], "wb");
    ASSERT_TRUE(out);
    OggDecoder decoder;
    testing::internal::CaptureStderr();
    EXPECT_EQ(decoder.rewriteWavHeader(out, 10), 1);
#ifdef _WIN32
    const char* noSeek = "Invalid argument"; // the Windows C library's words for it
#else
    const char* noSeek = "Illegal seek";
#endif
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string("ERROR: Failed to seek on seekable file: ") + noSeek + "\n");
    std::fclose(out);
    close(fds[0]);
}

} // namespace

namespace {

// A strict decode fails where the lenient one skips ahead: a damaged page, a second stream.
TEST(OggDecoder, StrictDecodeRefusesWhatTheLenientOneSkips) {
    TempFolder temp;
    const std::string good = temp.file("good.ogg");
    ASSERT_TRUE(WriteOggTone(good, 1, 22050, 4 * 22050));
    std::string damaged = ReadFileBytes(good);
    damaged[damaged.rfind("OggS", damaged.rfind("OggS") - 1) + 200] ^= 0x55;
    WriteFileBytes(temp.file("damaged.ogg"), damaged);
    std::FILE* chained = std::fopen(temp.file("chained.ogg").c_str(), "wb");
    ASSERT_TRUE(chained);
    ASSERT_EQ(AppendOggTone(chained, 1, 22050, 8 * 22050, 1), 0);
    ASSERT_EQ(AppendOggTone(chained, 1, 22050, 9000, 2), 0);
    ASSERT_EQ(std::fclose(chained), 0);

    for (const auto& [name, strictResult] :
         {std::pair{"good.ogg", 0}, std::pair{"damaged.ogg", 1}, std::pair{"chained.ogg", 1}}) {
        for (const bool strict : {false, true}) {
            OggDecoder decoder;
            decoder.strict = strict;
            testing::internal::CaptureStderr();
            EXPECT_EQ(decoder.decodeFile(temp.file(name), temp.file("out.wav")),
                      strict ? strictResult : 0)
                << name << (strict ? " strict" : " lenient");
            testing::internal::GetCapturedStderr();
        }
    }
}

} // namespace
