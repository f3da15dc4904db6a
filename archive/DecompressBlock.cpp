#include "archive/DecompressBlock.h"

#include <cstddef>
#include <cstring>

namespace {

using Offset = std::ptrdiff_t;

enum class State { LiteralRun, Match, Tail, End };

// Distances of the two far kinds of copy.
constexpr Offset kFarCopyBase = 2049;
constexpr Offset kLongMatchBase = 16384;

// Copies n bytes one after the other, so that a source overlapping the destination repeats
// the bytes already written (distance 1 repeats one byte n times).
inline void CopyForward(std::uint8_t* op, const std::uint8_t* source, Offset n) {
    const Offset distance = op - source;
    if (distance >= n) {
        std::memcpy(op, source, static_cast<std::size_t>(n));
        return;
    }
    if (distance == 1) {
        std::memset(op, *source, static_cast<std::size_t>(n));
        return;
    }
    // Each chunk of at most `distance` bytes reads only bytes written before it.
    while (n > 0) {
        const Offset chunk = n < distance ? n : distance;
        std::memcpy(op, source, static_cast<std::size_t>(chunk));
        op += chunk;
        source += chunk;
        n -= chunk;
    }
}

class BlockDecoder {
public:
    BlockDecoder(const std::uint8_t* in, std::uint8_t* out, std::uint32_t compressedSize,
                 std::uint32_t decompressedSize)
        : ip_(in), inEnd_(in + compressedSize), out_(out), op_(out),
          outEnd_(out + decompressedSize) {}

    int Run();

private:
    Offset InLeft() const { return inEnd_ - ip_; }
    Offset OutLeft() const { return outEnd_ - op_; }

    int Start(State& next);
    int LiteralRun(State& next);
    int Match(State& next);
    int Tail(State& next);
    int End();
    int CopyLiterals(Offset n);
    int FarCopy();
    int ReadExtendedLength(Offset base, Offset& length);

    const std::uint8_t* ip_;
    const std::uint8_t* const inEnd_;
    std::uint8_t* const out_;
    std::uint8_t* op_;
    std::uint8_t* const outEnd_;
    unsigned t_ = 0; // the current instruction byte
};

int BlockDecoder::Run() {
    State state = State::LiteralRun;
    int result = Start(state);
    while (result == 0) {
        switch (state) {
        case State::LiteralRun:
            result = LiteralRun(state);
            break;
        case State::Match:
            result = Match(state);
            break;
        case State::Tail:
            result = Tail(state);
            break;
        case State::End:
            return End();
        }
    }
    return result;
}

int BlockDecoder::Start(State& next) {
    if (InLeft() < 1)
        return kBlockInputOverrun;
    const unsigned first = *ip_++;
    if (first <= 17) {
        t_ = first;
        next = State::LiteralRun;
        return 0;
    }
    const Offset n = first - 17;
    if (int result = CopyLiterals(n))
        return result;
    t_ = *ip_++; // the literal check left at least three bytes
    if (n < 4 || t_ >= 16) {
        next = State::Match;
        return 0;
    }
    next = State::Tail;
    return FarCopy();
}

// Reads the zero-byte extension of a length: k zero bytes then x give 255k + x + base.
// After each zero byte the stream must still hold the rest of the instruction: a literal
// run needs its 255k + 21 bytes, a match its six.
int BlockDecoder::ReadExtendedLength(Offset base, Offset& length) {
    const bool literal = base == 18;
    Offset zeros = 0;
    if (InLeft() < 1)
        return kBlockInputOverrun;
    while (*ip_ == 0) {
        ++ip_;
        ++zeros;
        const Offset needed = literal ? 255 * zeros + 21 : 6;
        if (InLeft() < needed)
            return kBlockInputOverrun;
    }
    length = 255 * zeros + *ip_++ + base;
    return 0;
}

int BlockDecoder::CopyLiterals(Offset n) {
    if (OutLeft() < n)
        return kBlockOutputOverrun;
    if (InLeft() < n + 3)
        return kBlockInputOverrun;
    std::memcpy(op_, ip_, static_cast<std::size_t>(n));
    op_ += n;
    ip_ += n;
    return 0;
}

// Three bytes from 2049 or more bytes back, after a literal run.
int BlockDecoder::FarCopy() {
    if (InLeft() < 1)
        return kBlockInputOverrun;
    const Offset distance = (t_ >> 2) + 4 * Offset{*ip_++};
    if (OutLeft() < 3)
        return kBlockOutputOverrun;
    if (op_ - out_ < kFarCopyBase + distance)
        return kBlockLookBehindOverrun;
    CopyForward(op_, op_ - kFarCopyBase - distance, 3);
    op_ += 3;
    return 0;
}

int BlockDecoder::LiteralRun(State& next) {
    if (t_ >= 16) {
        next = State::Match;
        return 0;
    }
    Offset n = t_ + 3;
    if (t_ == 0) {
        if (int result = ReadExtendedLength(18, n))
            return result;
    }
    if (int result = CopyLiterals(n))
        return result;
    t_ = *ip_++; // the literal check left at least three bytes
    if (t_ >= 16) {
        next = State::Match;
        return 0;
    }
    next = State::Tail;
    return FarCopy();
}

int BlockDecoder::Match(State& next) {
    Offset n = 0;
    Offset back = 0; // source = op - back
    if (t_ >= 64) {
        if (InLeft() < 1)
            return kBlockInputOverrun;
        back = 1 + ((t_ >> 2) & 7) + 8 * Offset{*ip_++};
        n = (t_ >> 5) + 1;
    } else if (t_ >= 16) {
        const bool longDistance = t_ < 32;
        const unsigned lengthBits = longDistance ? (t_ & 7) : (t_ & 31);
        n = lengthBits + 2;
        if (lengthBits == 0) {
            if (int result = ReadExtendedLength(longDistance ? 9 : 33, n))
                return result;
        }
        if (InLeft() < 2)
            return kBlockInputOverrun;
        const Offset v = ip_[0] | (Offset{ip_[1]} << 8);
        ip_ += 2;
        if (longDistance && (v >> 2) == 0) {
            next = State::End;
            return 0;
        }
        back = longDistance ? kLongMatchBase + (v >> 2) : 1 + (v >> 2);
    } else {
        // A near copy of two bytes checks its length before its source.
        if (InLeft() < 1)
            return kBlockInputOverrun;
        back = 1 + (t_ >> 2) + 4 * Offset{*ip_++};
        n = 2;
        if (OutLeft() < n)
            return kBlockOutputOverrun;
    }
    if (op_ - out_ < back)
        return kBlockLookBehindOverrun;
    if (OutLeft() < n)
        return kBlockOutputOverrun;
    CopyForward(op_, op_ - back, n);
    op_ += n;
    next = State::Tail;
    return 0;
}

int BlockDecoder::Tail(State& next) {
    const Offset s = ip_[-2] & 3;
    if (s == 0) {
        if (InLeft() < 3)
            return kBlockInputOverrun;
        t_ = *ip_++;
        next = State::LiteralRun;
        return 0;
    }
    if (int result = CopyLiterals(s))
        return result;
    t_ = *ip_++;
    next = State::Match;
    return 0;
}

int BlockDecoder::End() {
    if (ip_ != inEnd_ && op_ != outEnd_)
        return InLeft() < 3 ? kBlockInputOverrun : kBlockInputNotConsumed;
    if (OutLeft() > 0)
        std::memset(op_, 0, static_cast<std::size_t>(OutLeft()));
    return kBlockDecoded;
}

} // namespace

int DecompressBlock(const std::uint8_t* in, std::uint8_t* out, std::uint32_t compressedSize,
                    std::uint32_t decompressedSize) {
    return BlockDecoder(in, out, compressedSize, decompressedSize).Run();
}
