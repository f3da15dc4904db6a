#pragma once
#include "platform/InputFile.h"
#include "playback/PlaybackSource.h"

#include <memory>
#include <string>
#include <vector>

struct OggVorbis_File;

// A song of a .velk pack played straight from the pack file: libvorbisfile reads the
// entry's byte range through callbacks that never leave it, and nothing is unpacked.
class PackSongSource final : public PlaybackSource {
public:
    // Opens song number (1 to 16, entry velk/musicNN.ogg) of the pack, reading its directory
    // and the song's headers. Null, with problem set, unless the entry is what Korvane writes:
    // "Cannot play musicNN.ogg from PACK: REASON.", where REASON is one of "the pack cannot
    // be read", "the pack is not a valid velk file (DETAIL)", "the pack does not hold it",
    // "the pack holds it twice", "it is stored compressed, which Korvane never does", "its
    // data reaches past the end of the pack", "it is larger than 2 GiB", "it is not Ogg
    // Vorbis", "it holds more than one logical stream", "it is not mono", "its rate of N Hz
    // is outside 8,000 to 48,000 Hz", "it is longer than 30 minutes", "it does not decode
    // cleanly".
    static std::unique_ptr<PackSongSource> Open(const std::string& packPath, int number,
                                                std::string& problem);
    ~PackSongSource() override;
    PackSongSource(const PackSongSource&) = delete;
    PackSongSource& operator=(const PackSongSource&) = delete;

    std::int32_t Rate() const override { return rate_; }
    std::int64_t Frames() const override { return frames_; }
    // Exact to the sample; fails ("...: it does not decode cleanly.") on damaged data.
    bool Seek(std::int64_t frame) override;
    // Skips short holes in the data as the patcher's decoder does; fails ("...: it does not
    // decode cleanly.") on lasting damage.
    std::int64_t Read(float* samples, std::int64_t count) override;
    std::string Problem() const override { return problem_; }

private:
    explicit PackSongSource(std::string head);
    std::string Refusal(const std::string& packPath, int number);
    std::string LocateEntry(int number);
    std::string OpenStream();
    std::int64_t Fail();

    friend struct PackSongCallbacks;
    std::string head_; // "Cannot play musicNN.ogg from PACK: "
    InputFile file_;
    std::uint64_t begin_ = 0; // the entry's bytes in the pack
    std::uint64_t size_ = 0;
    std::uint64_t at_ = 0; // libvorbisfile's position within them
    std::unique_ptr<OggVorbis_File> vorbis_;
    bool opened_ = false;
    std::int32_t rate_ = 0;
    std::int64_t frames_ = 0;
    std::vector<char> bytes_;
    std::string problem_;
};
