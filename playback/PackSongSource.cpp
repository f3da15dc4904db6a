#include "playback/PackSongSource.h"

#include "archive/ArchiveDirectory.h"
#include "audio/PackSongHeader.h"
#include "common/LittleEndian.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vorbis/vorbisfile.h>

// libvorbisfile's view of the entry: reads, seeks and tells within its byte range only.
struct PackSongCallbacks {
    static size_t Read(void* data, size_t size, size_t count, void* context) {
        auto& song = *static_cast<PackSongSource*>(context);
        if (size == 0)
            return 0;
        const std::uint64_t wanted = std::min<std::uint64_t>(size * count, song.size_ - song.at_);
        const std::int64_t got =
            song.file_.ReadAt(song.begin_ + song.at_, data, static_cast<std::size_t>(wanted));
        if (got <= 0)
            return 0;
        song.at_ += static_cast<std::uint64_t>(got);
        return static_cast<size_t>(got) / size;
    }
    static int Seek(void* context, ogg_int64_t offset, int whence) {
        auto& song = *static_cast<PackSongSource*>(context);
        const std::int64_t base = whence == SEEK_SET   ? 0
                                  : whence == SEEK_CUR ? static_cast<std::int64_t>(song.at_)
                                                       : static_cast<std::int64_t>(song.size_);
        const std::int64_t target = base + offset;
        if (target < 0 || target > static_cast<std::int64_t>(song.size_))
            return -1;
        song.at_ = static_cast<std::uint64_t>(target);
        return 0;
    }
    static long Tell(void* context) {
        return static_cast<long>(static_cast<PackSongSource*>(context)->at_);
    }
};

namespace {

constexpr int kSongCount = 16;
// Damaged data may report one hole after another without moving on; give up after these.
constexpr int kMaxHolesInARow = 64;
// What ov_read gives at a time.
constexpr std::size_t kReadBytes = 8192;

std::string SongName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "music%.2d.ogg", number);
    return name;
}

} // namespace

PackSongSource::PackSongSource(std::string head)
    : head_(std::move(head)), vorbis_(std::make_unique<OggVorbis_File>()), bytes_(kReadBytes) {}

PackSongSource::~PackSongSource() {
    if (opened_)
        ov_clear(vorbis_.get());
}

std::unique_ptr<PackSongSource> PackSongSource::Open(const std::string& packPath, int number,
                                                     std::string& problem) {
    std::unique_ptr<PackSongSource> song(
        new PackSongSource("Cannot play " + SongName(number) + " from " + packPath + ": "));
    const std::string refusal = song->Refusal(packPath, number);
    if (!refusal.empty()) {
        problem = song->head_ + refusal + ".";
        return nullptr;
    }
    return song;
}

std::string PackSongSource::Refusal(const std::string& packPath, int number) {
    if (!file_.Open(packPath))
        return "the pack cannot be read";
    std::string why = LocateEntry(number);
    return why.empty() ? OpenStream() : why;
}

std::string PackSongSource::LocateEntry(int number) {
    std::string why;
    const auto directory = ArchiveDirectory::Read(file_, why);
    if (!directory)
        return "the pack is not a valid velk file (" + why + ")";
    const std::string name = "velk/" + SongName(number);
    const auto matches =
        std::count_if(directory->entries.begin(), directory->entries.end(),
                      [&](const ArchiveEntry& entry) { return entry.name == name; });
    if (number < 1 || number > kSongCount || matches == 0)
        return "the pack does not hold it";
    if (matches > 1)
        return "the pack holds it twice";
    const ArchiveEntry& entry = *directory->Find(name);
    if (!directory->stored || entry.storedSize != entry.unpackedSize)
        return "it is stored compressed, which Korvane never does";
    if (std::uint64_t{entry.dataOffset} + entry.storedSize > file_.Size())
        return "its data reaches past the end of the pack";
    // libvorbisfile tells positions in a long, which has 32 bits on Windows.
    if (entry.storedSize > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        return "it is larger than 2 GiB";
    begin_ = entry.dataOffset;
    size_ = entry.storedSize;
    return {};
}

std::string PackSongSource::OpenStream() {
    const ov_callbacks callbacks = {PackSongCallbacks::Read, PackSongCallbacks::Seek, nullptr,
                                    PackSongCallbacks::Tell};
    if (ov_open_callbacks(this, vorbis_.get(), nullptr, 0, callbacks) < 0)
        return "it is not Ogg Vorbis";
    opened_ = true;
    if (const std::string why = WhyNotAPackSong(*vorbis_); !why.empty())
        return why;
    rate_ = static_cast<std::int32_t>(ov_info(vorbis_.get(), 0)->rate);
    frames_ = ov_pcm_total(vorbis_.get(), 0);
    return {};
}

std::int64_t PackSongSource::Fail() {
    problem_ = head_ + "it does not decode cleanly.";
    return -1;
}

bool PackSongSource::Seek(std::int64_t frame) {
    if (ov_pcm_seek(vorbis_.get(), std::clamp<std::int64_t>(frame, 0, frames_)) == 0)
        return true;
    Fail();
    return false;
}

std::int64_t PackSongSource::Read(float* samples, std::int64_t count) {
    if (count <= 0)
        return 0;
    const std::size_t wanted =
        std::min<std::size_t>(bytes_.size(), static_cast<std::size_t>(count) * 2);
    for (int holes = 0; holes <= kMaxHolesInARow;) {
        int link = 0;
        const long got =
            ov_read(vorbis_.get(), bytes_.data(), static_cast<int>(wanted), 0, 2, 1, &link);
        if (got == OV_HOLE) {
            ++holes;
            continue;
        }
        if (got < 0)
            return Fail();
        if (link != 0) // a second stream was refused when the song was opened
            return 0;
        const auto* bytes = reinterpret_cast<const unsigned char*>(bytes_.data());
        const long frames = got / 2;
        for (long i = 0; i < frames; ++i) {
            const auto sample = static_cast<std::int16_t>(LittleEndian16(bytes + 2 * i));
            samples[i] = static_cast<float>(sample) / 32768.0f;
        }
        return frames;
    }
    return Fail();
}
