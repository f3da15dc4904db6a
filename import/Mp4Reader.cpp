#include "import/Mp4Reader.h"

#include "import/ByteSource.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <string>

namespace {

constexpr int kMostDepth = 12;
// Boxes read whole into memory (descriptors, comments) are small in any real file.
constexpr std::uint64_t kMostSmallBox = 64 * 1024;
constexpr std::size_t kTableBlock = 4096; // table entries read at a time

struct Box {
    std::uint32_t type = 0;
    std::uint64_t begin = 0; // first byte after the header
    std::uint64_t end = 0;
};

constexpr std::uint32_t Tag(const char (&name)[5]) {
    return std::uint32_t(std::uint8_t(name[0])) << 24 | std::uint32_t(std::uint8_t(name[1])) << 16 |
           std::uint32_t(std::uint8_t(name[2])) << 8 | std::uint32_t(std::uint8_t(name[3]));
}

std::uint32_t Be32(const unsigned char* at) {
    return std::uint32_t(at[0]) << 24 | std::uint32_t(at[1]) << 16 | std::uint32_t(at[2]) << 8 |
           at[3];
}

std::uint64_t Be64(const unsigned char* at) {
    return std::uint64_t(Be32(at)) << 32 | Be32(at + 4);
}

std::uint16_t Be16(const unsigned char* at) {
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

// Thrown inside the reader only, and caught in Read: the first problem found wins.
struct Refusal {
    ImportProblem problem;
};

[[noreturn]] void Refuse(ImportProblem problem = ImportProblem::Damaged) {
    throw Refusal{problem};
}

class Parser {
public:
    explicit Parser(ByteSource& bytes) : bytes_(bytes) {}

    ImportProblem Run(AacTrack& track);

private:
    void Read(std::uint64_t offset, void* into, std::size_t count) {
        if (!bytes_.ReadAt(offset, into, count))
            Refuse();
    }
    std::vector<unsigned char> ReadWhole(const Box& box) {
        if (box.end - box.begin > kMostSmallBox)
            Refuse();
        std::vector<unsigned char> data(static_cast<std::size_t>(box.end - box.begin));
        Read(box.begin, data.data(), data.size());
        return data;
    }

    // Calls `visit` for each box in [begin, end); a box may not pass its parent's end.
    void ForEach(std::uint64_t begin, std::uint64_t end, int depth,
                 const std::function<void(const Box&)>& visit) {
        if (depth > kMostDepth)
            Refuse();
        while (end - begin >= 8) {
            unsigned char head[16];
            Read(begin, head, 8);
            std::uint64_t size = Be32(head);
            std::uint64_t header = 8;
            if (size == 1) {
                if (end - begin < 16)
                    Refuse();
                Read(begin + 8, head + 8, 8);
                size = Be64(head + 8);
                header = 16;
            } else if (size == 0 && depth == 0) {
                size = end - begin; // the last box, to the end of the file
            }
            if (size < header || size > end - begin)
                Refuse();
            visit(Box{Be32(head + 4), begin + header, begin + size});
            begin += size;
        }
    }

    std::optional<Box> Child(const Box& parent, std::uint32_t type, int depth,
                             std::uint64_t skip = 0) {
        std::optional<Box> found;
        if (parent.end - parent.begin < skip)
            Refuse();
        ForEach(parent.begin + skip, parent.end, depth, [&](const Box& box) {
            if (box.type == type && !found)
                found = box;
        });
        return found;
    }

    void Movie(const Box& moov);
    void Track(const Box& trak);
    void SampleEntry(const Box& stbl);
    void AudioEntry(const Box& entry);
    void Descriptors(const Box& esds);
    void SampleTables(const Box& stbl);
    void EditList(const Box& elst);
    void UserData(const Box& udta);
    std::uint32_t HeaderTimescale(const Box& header);
    std::uint32_t MediaTimescale(const Box& mdhd);

    template <typename Each>
    void Table(const Box& box, std::uint64_t first, std::uint64_t count, std::size_t entryBytes,
               Each each) {
        if (count > (box.end - first) / entryBytes)
            Refuse();
        std::vector<unsigned char> block(kTableBlock * entryBytes);
        for (std::uint64_t done = 0; done < count;) {
            const auto now =
                static_cast<std::size_t>(std::min<std::uint64_t>(kTableBlock, count - done));
            Read(first + done * entryBytes, block.data(), now * entryBytes);
            for (std::size_t index = 0; index < now; ++index)
                each(block.data() + index * entryBytes);
            done += now;
        }
    }

    ByteSource& bytes_;
    bool fragmented_ = false;
    std::uint32_t movieTimescale_ = 0;
    bool foundAudio_ = false;
    AacTrack track_;
    // The edit list's first real edit, in the movie's and the media's timescales.
    std::optional<std::pair<std::uint64_t, std::uint64_t>> edit_; // media start, movie length
    std::optional<std::pair<std::uint64_t, std::uint64_t>> smpb_; // delay, length
};

ImportProblem Parser::Run(AacTrack& track) {
    std::optional<Box> moov;
    ForEach(0, bytes_.Size(), 0, [&](const Box& box) {
        if (box.type == Tag("moof"))
            fragmented_ = true;
        if (box.type == Tag("moov") && !moov)
            moov = box;
    });
    if (!moov)
        return fragmented_ ? ImportProblem::Fragmented : ImportProblem::Damaged;
    Movie(*moov);
    if (!foundAudio_)
        return ImportProblem::NotAudio;
    if (fragmented_)
        return ImportProblem::Fragmented;
    if (track_.frames.empty())
        return ImportProblem::Empty;
    const std::uint64_t duration = track_.Duration();
    if (edit_ && (edit_->first > 0 || !smpb_)) {
        track_.start = edit_->first;
        if (edit_->second > 0 && movieTimescale_ > 0)
            track_.length = static_cast<std::uint64_t>(std::min<long double>(
                static_cast<long double>(edit_->second) * track_.timescale / movieTimescale_ + 0.5L,
                static_cast<long double>(duration)));
    } else if (smpb_) {
        track_.start = smpb_->first;
        track_.length = smpb_->second;
    }
    if (track_.start >= duration)
        return ImportProblem::Damaged;
    track = std::move(track_);
    return ImportProblem::None;
}

// mvex first: a fragmented file's tables are empty, which is no damage.
void Parser::Movie(const Box& moov) {
    ForEach(moov.begin, moov.end, 1, [&](const Box& box) {
        if (box.type == Tag("mvex"))
            fragmented_ = true;
    });
    ForEach(moov.begin, moov.end, 1, [&](const Box& box) {
        if (box.type == Tag("mvhd"))
            movieTimescale_ = HeaderTimescale(box);
        else if (box.type == Tag("trak") && !foundAudio_)
            Track(box);
        else if (box.type == Tag("udta"))
            UserData(box);
    });
}

void Parser::Track(const Box& trak) {
    const std::optional<Box> mdia = Child(trak, Tag("mdia"), 2);
    if (!mdia)
        return;
    const std::optional<Box> hdlr = Child(*mdia, Tag("hdlr"), 3);
    if (!hdlr || hdlr->end - hdlr->begin < 12)
        return;
    unsigned char handler[4];
    Read(hdlr->begin + 8, handler, 4);
    if (Be32(handler) != Tag("soun"))
        return;
    foundAudio_ = true;
    const std::optional<Box> mdhd = Child(*mdia, Tag("mdhd"), 3);
    const std::optional<Box> minf = Child(*mdia, Tag("minf"), 3);
    const std::optional<Box> stbl = minf ? Child(*minf, Tag("stbl"), 4) : std::nullopt;
    if (!mdhd || !stbl)
        Refuse();
    track_.timescale = MediaTimescale(*mdhd);
    SampleEntry(*stbl);
    if (const std::optional<Box> edts = Child(trak, Tag("edts"), 2))
        if (const std::optional<Box> elst = Child(*edts, Tag("elst"), 3))
            EditList(*elst);
    if (!fragmented_)
        SampleTables(*stbl);
}

// mvhd and mdhd keep their timescale at the same place, after 64-bit times in version 1.
std::uint32_t Parser::HeaderTimescale(const Box& header) {
    unsigned char head[4];
    Read(header.begin, head, 4);
    const std::uint64_t at = head[0] == 1 ? 20 : 12;
    if (header.end - header.begin < at + 4)
        Refuse();
    Read(header.begin + at, head, 4);
    return Be32(head);
}

std::uint32_t Parser::MediaTimescale(const Box& mdhd) {
    const std::uint32_t timescale = HeaderTimescale(mdhd);
    if (timescale == 0)
        Refuse();
    return timescale;
}

// The first sample entry decides; a protected one says so whatever it wraps.
void Parser::SampleEntry(const Box& stbl) {
    const std::optional<Box> stsd = Child(stbl, Tag("stsd"), 5);
    if (!stsd || stsd->end - stsd->begin < 8)
        Refuse();
    std::optional<Box> entry;
    ForEach(stsd->begin + 8, stsd->end, 6, [&](const Box& box) {
        if (!entry)
            entry = box;
    });
    if (!entry)
        Refuse();
    if (entry->type == Tag("enca") || entry->type == Tag("drms"))
        Refuse(ImportProblem::Protected);
    if (entry->type == Tag("alac"))
        Refuse(ImportProblem::AppleLossless);
    if (entry->type != Tag("mp4a"))
        Refuse(ImportProblem::Unsupported);
    AudioEntry(*entry);
}

// An audio sample entry: 28 bytes of fields (16 or 36 more in QuickTime's versions 1 and 2),
// then boxes: esds, directly or inside QuickTime's wave box, and sinf when protected.
void Parser::AudioEntry(const Box& entry) {
    unsigned char fields[28];
    if (entry.end - entry.begin < sizeof fields)
        Refuse();
    Read(entry.begin, fields, sizeof fields);
    const std::uint16_t version = Be16(fields + 8);
    const std::uint64_t skip = version == 1 ? 44 : version == 2 ? 64 : 28;
    std::optional<Box> esds;
    bool protectedEntry = false;
    if (entry.end - entry.begin < skip)
        Refuse();
    ForEach(entry.begin + skip, entry.end, 7, [&](const Box& box) {
        if (box.type == Tag("sinf"))
            protectedEntry = true;
        else if (box.type == Tag("esds") && !esds)
            esds = box;
        else if (box.type == Tag("wave") && !esds)
            esds = Child(box, Tag("esds"), 8);
    });
    if (protectedEntry)
        Refuse(ImportProblem::Protected);
    if (!esds)
        Refuse();
    Descriptors(*esds);
}

// The ES descriptor (tag 3) holds the decoder configuration (tag 4), whose object type says
// AAC, and in it the decoder-specific information (tag 5): the AudioSpecificConfig.
void Parser::Descriptors(const Box& esds) {
    const std::vector<unsigned char> data = ReadWhole(esds);
    std::size_t at = 4; // version and flags
    auto descriptor = [&](unsigned char tag) {
        if (at >= data.size() || data[at] != tag)
            Refuse();
        ++at;
        std::size_t length = 0;
        for (int count = 0;; ++count) {
            if (at >= data.size() || count == 4)
                Refuse();
            const unsigned char byte = data[at++];
            length = length << 7 | (byte & 0x7F);
            if ((byte & 0x80) == 0)
                break;
        }
        if (length > data.size() - at)
            Refuse();
        return length;
    };
    auto need = [&](std::size_t count) {
        if (count > data.size() - std::min(at, data.size()))
            Refuse();
    };
    descriptor(0x03);
    need(3);
    const unsigned char flags = data[at + 2];
    at += 3;
    if (flags & 0x80)
        at += 2;
    if (flags & 0x40) {
        need(1);
        at += 1 + data[at];
    }
    if (flags & 0x20)
        at += 2;
    descriptor(0x04);
    need(13);
    const unsigned char objectType = data[at];
    // MPEG-4 audio, or MPEG-2 AAC (Main, LC, SSR); anything else (MP3 in MP4, ...) is not AAC.
    if (objectType != 0x40 && (objectType < 0x66 || objectType > 0x68))
        Refuse(ImportProblem::Unsupported);
    at += 13;
    const std::size_t length = descriptor(0x05);
    if (length < 2)
        Refuse();
    track_.decoderConfig.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                                data.begin() + static_cast<std::ptrdiff_t>(at + length));
}

void Parser::SampleTables(const Box& stbl) {
    const std::optional<Box> stts = Child(stbl, Tag("stts"), 5);
    const std::optional<Box> stsc = Child(stbl, Tag("stsc"), 5);
    const std::optional<Box> stsz = Child(stbl, Tag("stsz"), 5);
    std::optional<Box> chunks = Child(stbl, Tag("stco"), 5);
    const bool wide = !chunks;
    if (wide)
        chunks = Child(stbl, Tag("co64"), 5);
    if (!stts || !stsc || !stsz || !chunks)
        Refuse();
    unsigned char head[12];
    if (stsz->end - stsz->begin < 12)
        Refuse();
    Read(stsz->begin, head, 12);
    const std::uint32_t fixedSize = Be32(head + 4);
    const std::uint64_t count = Be32(head + 8);
    if (count > kMostAacFrames)
        Refuse(ImportProblem::TooLong);
    std::vector<AacFrame>& frames = track_.frames;
    if (fixedSize != 0) {
        if (count > bytes_.Size() / fixedSize)
            Refuse(); // more frames than the file has bytes for
        frames.assign(static_cast<std::size_t>(count), AacFrame{0, fixedSize, 0});
    } else {
        frames.reserve(static_cast<std::size_t>(
            std::min<std::uint64_t>(count, (stsz->end - stsz->begin - 12) / 4)));
        Table(*stsz, stsz->begin + 12, count, 4, [&](const unsigned char* at) {
            frames.push_back(AacFrame{0, Be32(at), 0});
        });
    }
    for (const AacFrame& frame : frames)
        if (frame.size == 0 || frame.size > kMostAacFrameBytes)
            Refuse();

    // Durations: each stts run covers the next frames.
    auto counted = [&](const Box& box) {
        if (box.end - box.begin < 8)
            Refuse();
        Read(box.begin, head, 8);
        return std::uint64_t{Be32(head + 4)};
    };
    std::size_t next = 0;
    Table(*stts, stts->begin + 8, counted(*stts), 8, [&](const unsigned char* at) {
        for (std::uint32_t run = Be32(at); run > 0 && next < frames.size(); --run)
            frames[next++].duration = Be32(at + 4);
    });
    if (next != frames.size())
        Refuse();
    // An AAC frame lasts at most 2,048 samples at 7,350 Hz or more: under half a second.
    for (const AacFrame& frame : frames)
        if (frame.duration > track_.timescale / 2)
            Refuse();

    // Chunk offsets, then the frames of each chunk lie one after another from its offset.
    std::vector<std::uint64_t> offsets;
    const std::uint64_t chunkCount = counted(*chunks);
    if (chunkCount > (chunks->end - chunks->begin - 8) / (wide ? 8 : 4))
        Refuse();
    offsets.reserve(static_cast<std::size_t>(chunkCount));
    Table(*chunks, chunks->begin + 8, chunkCount, wide ? 8 : 4,
          [&](const unsigned char* at) { offsets.push_back(wide ? Be64(at) : Be32(at)); });
    struct Run {
        std::uint64_t firstChunk;
        std::uint64_t perChunk;
    };
    std::vector<Run> runs;
    const std::uint64_t runCount = counted(*stsc);
    if (runCount > (stsc->end - stsc->begin - 8) / 12)
        Refuse();
    Table(*stsc, stsc->begin + 8, runCount, 12, [&](const unsigned char* at) {
        const Run run{Be32(at), Be32(at + 4)};
        if (run.firstChunk == 0 || (!runs.empty() && run.firstChunk <= runs.back().firstChunk))
            Refuse();
        runs.push_back(run);
    });
    if (runs.empty() || runs.front().firstChunk != 1)
        Refuse();
    next = 0;
    const std::uint64_t fileSize = bytes_.Size();
    for (std::size_t run = 0; run < runs.size() && next < frames.size(); ++run) {
        const std::uint64_t last =
            run + 1 < runs.size() ? runs[run + 1].firstChunk - 1 : offsets.size();
        for (std::uint64_t chunk = runs[run].firstChunk; chunk <= last && next < frames.size();
             ++chunk) {
            if (chunk > offsets.size())
                Refuse();
            std::uint64_t offset = offsets[static_cast<std::size_t>(chunk - 1)];
            for (std::uint64_t index = 0; index < runs[run].perChunk && next < frames.size();
                 ++index) {
                AacFrame& frame = frames[next++];
                if (offset > fileSize || frame.size > fileSize - offset)
                    Refuse(); // cut short
                frame.offset = offset;
                offset += frame.size;
            }
        }
    }
    if (next != frames.size())
        Refuse();
}

// The first edit that shows media (an empty edit, time -1, only delays it).
void Parser::EditList(const Box& elst) {
    unsigned char head[8];
    if (elst.end - elst.begin < 8)
        Refuse();
    Read(elst.begin, head, 8);
    const bool wide = head[0] == 1;
    const std::size_t entryBytes = wide ? 20 : 12;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> first;
    Table(elst, elst.begin + 8, Be32(head + 4), entryBytes, [&](const unsigned char* at) {
        const std::uint64_t length = wide ? Be64(at) : Be32(at);
        const std::int64_t time = wide ? static_cast<std::int64_t>(Be64(at + 8))
                                       : static_cast<std::int32_t>(Be32(at + 4));
        if (time >= 0 && !first)
            first = std::make_pair(static_cast<std::uint64_t>(time), length);
    });
    edit_ = first;
}

// iTunes' gapless information: udta/meta/ilst/----, a comment named iTunSMPB whose text holds
// hexadecimal fields: 0, the encoder delay, the padding at the end, the song's length.
void Parser::UserData(const Box& udta) {
    const std::optional<Box> meta = Child(udta, Tag("meta"), 2);
    if (!meta || meta->end - meta->begin < 8)
        return;
    // A full box in MP4 files, a plain one in some QuickTime writers.
    unsigned char peek[8];
    Read(meta->begin, peek, 8);
    const bool full = Be32(peek) == 0 && Be32(peek + 4) != Tag("hdlr");
    const std::optional<Box> ilst = Child(*meta, Tag("ilst"), 3, full ? 4 : 0);
    if (!ilst)
        return;
    ForEach(ilst->begin, ilst->end, 4, [&](const Box& item) {
        if (item.type != Tag("----") || smpb_)
            return;
        std::string name, text;
        ForEach(item.begin, item.end, 5, [&](const Box& part) {
            if (part.type != Tag("name") && part.type != Tag("data"))
                return;
            const std::vector<unsigned char> data = ReadWhole(part);
            const std::size_t skip = part.type == Tag("name") ? 4 : 8;
            if (data.size() < skip)
                Refuse();
            (part.type == Tag("name") ? name : text).assign(data.begin() + skip, data.end());
        });
        if (name != "iTunSMPB")
            return;
        unsigned long long zero = 0, delay = 0, padding = 0, length = 0;
        if (std::sscanf(text.c_str(), " %llx %llx %llx %llx", &zero, &delay, &padding, &length) ==
                4 &&
            length > 0)
            smpb_ = std::make_pair(std::uint64_t{delay}, std::uint64_t{length});
    });
}

} // namespace

ImportProblem Mp4Reader::Read(ByteSource& bytes, AacTrack& track) {
    try {
        return Parser(bytes).Run(track);
    } catch (const Refusal& refusal) {
        return refusal.problem;
    } catch (const std::bad_alloc&) {
        return ImportProblem::Damaged;
    }
}
