#include "import/WmaDecoder.h"

// Debian has no WMA decoder this program may use: WMA is read on Windows only.
struct WmaDecoder::System {};

WmaDecoder::WmaDecoder() = default;
WmaDecoder::~WmaDecoder() = default;

ImportProblem WmaDecoder::Open(const std::string&) {
    return ImportProblem::WmaNeedsWindows;
}

std::int64_t WmaDecoder::Read(float*, std::int64_t) {
    return 0;
}
