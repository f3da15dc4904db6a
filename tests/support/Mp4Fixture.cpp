#include "tests/support/Mp4Fixture.h"

#include <cstdio>
#include <vector>

namespace {

std::string Be32(std::uint64_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string Be16(unsigned value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string Be64(std::uint64_t value) {
    return Be32(value >> 32) + Be32(value & 0xFFFFFFFF);
}

std::string Box(const std::string& type, const std::string& payload) {
    return Be32(payload.size() + 8) + type + payload;
}

std::string FullBox(const std::string& type, const std::string& payload, int version = 0,
                    int flags = 0) {
    return Box(type, std::string(1, static_cast<char>(version)) + Be32(flags).substr(1) + payload);
}

const std::string kMatrix = Be32(0x10000) + Be32(0) + Be32(0) + Be32(0) + Be32(0x10000) + Be32(0) +
                            Be32(0) + Be32(0) + Be32(0x40000000);

std::string Descriptor(int tag, const std::string& body) {
    return std::string(1, static_cast<char>(tag)) + static_cast<char>(body.size()) + body;
}

std::string Esds(const AacFrames& aac) {
    const std::string config =
        Descriptor(0x04, std::string("\x40\x15", 2) + std::string(3, '\0') + Be32(128000) +
                             Be32(128000) + Descriptor(0x05, AacDecoderConfig(aac)));
    return FullBox("esds", Descriptor(0x03, Be16(1) + std::string(1, '\0') + config +
                                                Descriptor(0x06, "\x02")));
}

std::string SampleEntry(const AacFrames& aac, const Mp4Layout& layout) {
    std::string fields = std::string(6, '\0') + Be16(1) + std::string(8, '\0') +
                         Be16(static_cast<unsigned>(aac.channels)) + Be16(16) + Be32(0) +
                         Be32(static_cast<std::uint64_t>(aac.rate) << 16);
    if (layout.sampleEntry == "alac")
        return Box("alac", fields + FullBox("alac", std::string(24, '\0')));
    std::string children = Esds(aac);
    if (layout.sinf || layout.sampleEntry == "enca")
        children += Box("sinf", Box("frma", "mp4a") + FullBox("schm", "cenc" + Be32(0x10000)));
    return Box(layout.sampleEntry, fields + children);
}

std::string SampleTables(const AacFrames& aac, const Mp4Layout& layout, std::uint64_t mdat) {
    const std::size_t count = aac.frames.size();
    std::string sizes, offsets;
    std::uint64_t offset = mdat;
    std::size_t chunks = 0;
    for (std::size_t index = 0; index < count; ++index) {
        sizes += Be32(aac.frames[index].size());
        if (index % static_cast<std::size_t>(layout.framesPerChunk) == 0) {
            offsets += layout.wideOffsets ? Be64(offset) : Be32(offset);
            ++chunks;
        }
        offset += aac.frames[index].size();
    }
    std::string runs = Be32(1) + Be32(static_cast<std::uint64_t>(layout.framesPerChunk)) + Be32(1);
    std::uint64_t runCount = 1;
    if (count % static_cast<std::size_t>(layout.framesPerChunk) != 0 && chunks > 1) {
        runs +=
            Be32(chunks) + Be32(count % static_cast<std::size_t>(layout.framesPerChunk)) + Be32(1);
        ++runCount;
    }
    return Box("stbl", FullBox("stsd", Be32(1) + SampleEntry(aac, layout)) +
                           FullBox("stts", Be32(1) + Be32(count) + Be32(1024)) +
                           FullBox("stsc", Be32(runCount) + runs) +
                           FullBox("stsz", Be32(0) + Be32(count) + sizes) +
                           FullBox(layout.wideOffsets ? "co64" : "stco", Be32(chunks) + offsets));
}

std::string DataItem(const std::string& type, const std::string& text) {
    return Box(type, FullBox("data", Be32(0) + text, 0, 1));
}

std::string UserData(const Mp4Layout& layout, std::uint64_t delay, std::uint64_t length,
                     std::uint64_t padding) {
    std::string items;
    if (!layout.title.empty())
        items += DataItem("\xA9nam", layout.title);
    if (!layout.artist.empty())
        items += DataItem("\xA9"
                          "ART",
                          layout.artist);
    if (layout.gapless == Mp4Layout::Gapless::ITunSmpb ||
        layout.gapless == Mp4Layout::Gapless::Both) {
        char text[128];
        std::snprintf(text, sizeof text, " 00000000 %08llX %08llX %016llX 00000000 00000000",
                      static_cast<unsigned long long>(delay),
                      static_cast<unsigned long long>(padding),
                      static_cast<unsigned long long>(length));
        items += Box("----", FullBox("mean", "com.apple.iTunes") + FullBox("name", "iTunSMPB") +
                                 FullBox("data", Be32(0) + text, 0, 1));
    }
    if (items.empty())
        return {};
    const std::string handler =
        FullBox("hdlr", Be32(0) + "mdir" + "appl" + Be32(0) + Be32(0) + '\0');
    return Box("udta", FullBox("meta", handler + Box("ilst", items)));
}

std::string Movie(const AacFrames& aac, const Mp4Layout& layout, std::uint64_t mdat) {
    const std::uint64_t duration = aac.frames.size() * 1024;
    const std::uint64_t length = layout.length ? layout.length : duration - layout.delay;
    const std::string mvhd =
        FullBox("mvhd", Be32(0) + Be32(0) + Be32(static_cast<std::uint64_t>(aac.rate)) +
                            Be32(length) + Be32(0x10000) + Be16(0x100) + std::string(10, '\0') +
                            kMatrix + std::string(24, '\0') + Be32(2));
    const std::string tkhd =
        FullBox("tkhd",
                Be32(0) + Be32(0) + Be32(1) + Be32(0) + Be32(length) + std::string(8, '\0') +
                    Be16(0) + Be16(0) + Be16(0x100) + Be16(0) + kMatrix + Be32(0) + Be32(0),
                0, 7);
    std::string edts;
    if (layout.gapless == Mp4Layout::Gapless::EditList ||
        layout.gapless == Mp4Layout::Gapless::Both)
        edts = Box("edts",
                   FullBox("elst", Be32(1) + Be32(length) + Be32(layout.delay) + Be32(0x10000)));
    const std::string mdhd =
        FullBox("mdhd", Be32(0) + Be32(0) + Be32(static_cast<std::uint64_t>(aac.rate)) +
                            Be32(duration) + Be16(0x55C4) + Be16(0));
    const std::string hdlr = FullBox("hdlr", Be32(0) + "soun" + std::string(12, '\0') + "Sound\0");
    const std::string dinf = Box("dinf", FullBox("dref", Be32(1) + FullBox("url ", "", 0, 1)));
    const std::string minf =
        Box("minf", FullBox("smhd", Be32(0)) + dinf + SampleTables(aac, layout, mdat));
    const std::string trak = Box("trak", tkhd + edts + Box("mdia", mdhd + hdlr + minf));
    std::string mvex;
    if (layout.movieExtends)
        mvex = Box("mvex", FullBox("trex", Be32(1) + Be32(1) + Be32(1024) + Be32(0) + Be32(0)));
    return Box("moov",
               mvhd + trak + mvex +
                   UserData(layout, layout.delay, length, duration - layout.delay - length));
}

} // namespace

std::string Mp4File(const AacFrames& aac, const Mp4Layout& layout) {
    const std::string ftyp = Box("ftyp", std::string("M4A ") + Be32(0) + "M4A mp42isom");
    // The tables point into mdat, which follows moov: its size is known from a first draft.
    const std::size_t moovSize = Movie(aac, layout, 0).size();
    std::string media;
    for (const std::string& frame : aac.frames)
        media += frame;
    std::string file = ftyp + Movie(aac, layout, ftyp.size() + moovSize + 8) + Box("mdat", media);
    if (layout.fragment)
        file += Box("moof", FullBox("mfhd", Be32(1)));
    return file;
}

std::size_t BoxAt(const std::string& file, const char* type) {
    const std::size_t at = file.find(type);
    return at == std::string::npos ? at : at - 4;
}
