#include "patcher/pack/OggSongCheck.h"

#include "audio/PackSongHeader.h"
#include "platform/StdFile.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenRegularFile(const std::string& path) {
    return File(OpenRegularStdFile(path));
}

// The number of logical streams the pages of the file belong to: 0 for a file without an
// Ogg stream, 2 as soon as a second one shows (chained one after another, or grouped and
// interleaved: a second beginning of stream or a page of another serial number).
int LogicalStreams(std::FILE* file) {
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    ogg_page page;
    long serial = 0;
    int streams = 0;
    for (bool more = true; streams < 2 && more;) {
        char* buffer = ogg_sync_buffer(&sync, 65536);
        const std::size_t got = std::fread(buffer, 1, 65536, file);
        ogg_sync_wrote(&sync, static_cast<long>(got));
        more = got > 0;
        for (int result; streams < 2 && (result = ogg_sync_pageout(&sync, &page)) != 0;) {
            if (result < 0)
                continue; // bytes between pages: decoding meets them as a hole
            if (ogg_page_bos(&page)) {
                serial = ogg_page_serialno(&page);
                ++streams;
            } else if (streams == 0 || ogg_page_serialno(&page) != serial) {
                streams = 2;
            }
        }
    }
    ogg_sync_clear(&sync);
    return streams;
}

size_t ReadCallback(void* data, size_t size, size_t count, void* file) {
    return std::fread(data, size, count, static_cast<std::FILE*>(file));
}
int SeekCallback(void* file, ogg_int64_t offset, int whence) {
    return SeekStdFile(static_cast<std::FILE*>(file), offset, whence);
}
long TellCallback(void* file) {
    return static_cast<long>(TellStdFile(static_cast<std::FILE*>(file)));
}

enum class Decoding { Clean, Faulty, Cancelled };

// Decodes the whole stream; Clean when no read failed and the samples match the length.
Decoding DecodesCleanly(OggVorbis_File& vorbis, ogg_int64_t frames, const CancelCheck& cancelled) {
    char buffer[8192];
    ogg_int64_t decoded = 0;
    for (;;) {
        if (CancelWanted(cancelled))
            return Decoding::Cancelled;
        int link = 0;
        const long got = ov_read(&vorbis, buffer, sizeof buffer, 0, 2, 1, &link);
        if (got == 0)
            return decoded == frames ? Decoding::Clean : Decoding::Faulty;
        if (got < 0 || link != 0)
            return Decoding::Faulty;
        decoded += got / 2;
        if (decoded > frames)
            return Decoding::Faulty;
    }
}

std::string CheckOpened(OggVorbis_File& vorbis, OggSongDepth depth, OggSongFacts& facts,
                        const CancelCheck& cancelled) {
    if (const std::string why = WhyNotAPackSong(vorbis); !why.empty())
        return why;
    const long rate = ov_info(&vorbis, 0)->rate;
    const ogg_int64_t frames = ov_pcm_total(&vorbis, 0);
    facts.rate = rate;
    facts.seconds = static_cast<double>(frames) / static_cast<double>(rate);
    if (depth == OggSongDepth::HeadersOnly)
        return {};
    switch (DecodesCleanly(vorbis, frames, cancelled)) {
    case Decoding::Clean:
        return {};
    case Decoding::Cancelled:
        return kSongCheckCancelled;
    case Decoding::Faulty:
        break;
    }
    return "it does not decode cleanly";
}

} // namespace

std::string CheckOggSong(const std::string& path, OggSongDepth depth, OggSongFacts& facts,
                         const CancelCheck& cancelled) {
    facts = {};
    File file = OpenRegularFile(path);
    if (!file)
        return "it cannot be read";
    const int streams = LogicalStreams(file.get());
    if (streams == 0)
        return "it is not Ogg Vorbis";
    if (streams > 1)
        return "it holds more than one logical stream";
    if (::fseeko(file.get(), 0, SEEK_SET) != 0)
        return "it cannot be read";
    const ov_callbacks callbacks = {ReadCallback, SeekCallback, nullptr, TellCallback};
    OggVorbis_File vorbis;
    if (ov_open_callbacks(file.get(), &vorbis, nullptr, 0, callbacks) < 0)
        return "it is not Ogg Vorbis";
    std::string why = CheckOpened(vorbis, depth, facts, cancelled);
    ov_clear(&vorbis); // the close callback is null: the file stays ours
    if (!why.empty())
        facts = {};
    return why;
}
