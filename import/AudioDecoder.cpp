#include "import/AudioDecoder.h"

#include "import/TagArea.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace {

using Head = std::array<unsigned char, 16>;

bool Starts(const Head& head, const char* magic, std::size_t at = 0) {
    return std::memcmp(head.data() + at, magic, std::strlen(magic)) == 0;
}

// Containers libsndfile reads: when it still refuses one, its content is broken.
bool ReadableContainer(const Head& head) {
    bool mpegSync = head[0] == 0xFF && (head[1] & 0xE0) == 0xE0 && (head[1] & 0x06) != 0;
    return (Starts(head, "RIFF") && Starts(head, "WAVE", 8)) || Starts(head, "RF64") ||
           (Starts(head, "FORM") && (Starts(head, "AIFF", 8) || Starts(head, "AIFC", 8))) ||
           Starts(head, "fLaC") || Starts(head, "OggS") || Starts(head, "ID3") || mpegSync;
}

// Audio formats libsndfile does not decode.
bool OtherAudioFormat(const Head& head) {
    static const unsigned char asf[] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11};
    bool adtsAac = head[0] == 0xFF && (head[1] & 0xF6) == 0xF0;
    return Starts(head, "ftyp", 4) || std::memcmp(head.data(), asf, sizeof asf) == 0 || adtsAac ||
           Starts(head, "MThd") || Starts(head, "MAC ") || Starts(head, "wvpk") ||
           Starts(head, "#!AMR") || Starts(head, ".RMF") || Starts(head, "ADIF") ||
           Starts(head, "TTA1") || Starts(head, "MPCK") || Starts(head, "MP+");
}

ImportProblem RefusalReason(int error, const Head& head) {
    if (OtherAudioFormat(head))
        return ImportProblem::Unsupported;
    if (error == SF_ERR_UNSUPPORTED_ENCODING)
        return ImportProblem::Unsupported;
    if (ReadableContainer(head))
        return ImportProblem::Damaged;
    return ImportProblem::NotAudio;
}

SNDFILE* AsFile(void* file) {
    return static_cast<SNDFILE*>(file);
}

} // namespace

static_assert(AudioDecoder::kUnknownLength == SF_COUNT_MAX);

AudioDecoder::~AudioDecoder() {
    if (file_)
        sf_close(AsFile(file_));
}

ImportProblem AudioDecoder::Open(const std::string& path) {
    // Non-blocking, so that a named pipe cannot hang the import before it is refused.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info;
    if (fd < 0)
        return ImportProblem::Unreadable;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return ImportProblem::Unreadable;
    }
    if (info.st_size == 0) {
        ::close(fd);
        return ImportProblem::Empty;
    }
    if (TagAreaBytes(fd, kMostTagBytes) > kMostTagBytes) {
        ::close(fd);
        return ImportProblem::TagsTooLarge;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    Head head{};
    if (::pread(fd, head.data(), head.size(), 0) < 0) {
        ::close(fd);
        return ImportProblem::Unreadable;
    }
    SF_INFO sfInfo{};
    SNDFILE* file = sf_open_fd(fd, SFM_READ, &sfInfo, SF_TRUE);
    if (!file)
        return RefusalReason(sf_error(nullptr), head);
    file_ = file;
    descriptor_ = fd;
    if (sfInfo.channels <= 0 || sfInfo.samplerate <= 0)
        return ImportProblem::Damaged;
    channels_ = sfInfo.channels;
    sampleRate_ = sfInfo.samplerate;
    frames_ = sfInfo.frames;
    framesEstimated_ = (sfInfo.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG;
    pcm16Wav_ = (sfInfo.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV &&
                (sfInfo.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
    return ImportProblem::None;
}

std::int64_t AudioDecoder::Read(float* buffer, std::int64_t count) {
    return file_ ? sf_readf_float(AsFile(file_), buffer, count) : 0;
}

bool AudioDecoder::failed() const {
    return file_ && sf_error(AsFile(file_)) != SF_ERR_NO_ERROR;
}
