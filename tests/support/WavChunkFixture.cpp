#include "tests/support/WavChunkFixture.h"

#include "tests/support/WavFixture.h"

std::string WavChunk(const std::string& id, const std::string& body) {
    return WavChunkClaiming(id, static_cast<std::uint32_t>(body.size()), body);
}

std::string WavChunkClaiming(const std::string& id, std::uint32_t length, const std::string& body) {
    std::string out = id;
    PutLE32(out, length);
    return out + body;
}

std::string FmtBody(int tag, int channels, std::uint32_t rate, int blockAlign, int bits,
                    int extra) {
    std::string out;
    PutLE16(out, static_cast<std::uint16_t>(tag));
    PutLE16(out, static_cast<std::uint16_t>(channels));
    PutLE32(out, rate);
    PutLE32(out, rate * static_cast<std::uint32_t>(blockAlign));
    PutLE16(out, static_cast<std::uint16_t>(blockAlign));
    PutLE16(out, static_cast<std::uint16_t>(bits));
    return out + std::string(static_cast<std::size_t>(extra), '\0');
}

std::string RiffWave(const std::string& chunks) {
    std::string out = "RIFF";
    PutLE32(out, static_cast<std::uint32_t>(4 + chunks.size()));
    return out + "WAVE" + chunks;
}
