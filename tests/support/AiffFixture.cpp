#include "tests/support/AiffFixture.h"

void PutBE16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
}

void PutBE32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

std::string Extended80(std::uint32_t value) {
    std::string out;
    if (value == 0)
        return std::string(10, '\0');
    int top = 31;
    while (!(value & (1u << top)))
        --top;
    PutBE16(out, static_cast<std::uint16_t>(16383 + top));
    std::uint64_t mantissa = static_cast<std::uint64_t>(value) << (63 - top);
    PutBE32(out, static_cast<std::uint32_t>(mantissa >> 32));
    PutBE32(out, static_cast<std::uint32_t>(mantissa));
    return out;
}

std::string AiffChunk(const std::string& id, const std::string& body) {
    std::string out = id;
    PutBE32(out, static_cast<std::uint32_t>(body.size()));
    out += body;
    if (body.size() % 2)
        out += '\0';
    return out;
}

std::string CommBody(int channels, std::uint32_t frames, int bits, std::uint32_t rate,
                     const std::string& compression) {
    std::string out;
    PutBE16(out, static_cast<std::uint16_t>(channels));
    PutBE32(out, frames);
    PutBE16(out, static_cast<std::uint16_t>(bits));
    out += Extended80(rate);
    if (!compression.empty())
        out += compression + std::string(2, '\0'); // empty pascal name, padded
    return out;
}

std::string SsndBody(const std::string& samples, std::uint32_t offset, std::uint32_t blockSize) {
    std::string out;
    PutBE32(out, offset);
    PutBE32(out, blockSize);
    return out + std::string(offset, '\x55') + samples;
}

std::string AiffForm(const std::string& chunks, bool aifc) {
    std::string out = "FORM";
    PutBE32(out, static_cast<std::uint32_t>(4 + chunks.size()));
    return out + (aifc ? "AIFC" : "AIFF") + chunks;
}

std::string MakeAiff16(int channels, std::uint32_t rate, const std::string& samples) {
    auto frames = static_cast<std::uint32_t>(samples.size() / (2 * channels));
    return AiffForm(AiffChunk("COMM", CommBody(channels, frames, 16, rate)) +
                    AiffChunk("SSND", SsndBody(samples)));
}
