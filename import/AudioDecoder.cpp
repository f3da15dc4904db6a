#include "import/AudioDecoder.h"

#include "import/AacDecoder.h"
#include "import/AdtsReader.h"
#include "import/FileBytes.h"
#include "import/Mp4Reader.h"
#include "import/TagArea.h"
#include "import/WmaDecoder.h"
#include "platform/InputFile.h"

#include <sndfile.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

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

bool Mp4(const Head& head) {
    return Starts(head, "ftyp", 4) || Starts(head, "moov", 4);
}

bool Asf(const Head& head) {
    static const unsigned char asf[] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11};
    return std::memcmp(head.data(), asf, sizeof asf) == 0;
}

// Audio formats no decoder here reads.
bool OtherAudioFormat(const Head& head) {
    return Starts(head, "MThd") || Starts(head, "MAC ") || Starts(head, "wvpk") ||
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

// The open file and libsndfile's position in it.
struct AudioDecoder::Source {
    InputFile file;
    sf_count_t position = 0;

    static Source& Of(void* data) { return *static_cast<Source*>(data); }
    static sf_count_t Length(void* data) { return static_cast<sf_count_t>(Of(data).file.Size()); }
    static sf_count_t Seek(sf_count_t offset, int whence, void* data) {
        Source& source = Of(data);
        const sf_count_t base = whence == SEEK_SET   ? 0
                                : whence == SEEK_CUR ? source.position
                                                     : Length(data);
        if (base + offset < 0)
            return -1;
        source.position = base + offset;
        return source.position;
    }
    // libsndfile asks once per piece, so a short read is resumed here.
    static sf_count_t Read(void* buffer, sf_count_t count, void* data) {
        Source& source = Of(data);
        auto* bytes = static_cast<char*>(buffer);
        sf_count_t done = 0;
        while (done < count) {
            const std::int64_t got =
                source.file.ReadAt(static_cast<std::uint64_t>(source.position), bytes + done,
                                   static_cast<std::size_t>(count - done));
            if (got <= 0)
                break;
            source.position += got;
            done += got;
        }
        return done;
    }
    static sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
    static sf_count_t Tell(void* data) { return Of(data).position; }
};

AudioDecoder::AudioDecoder() = default;

AudioDecoder::~AudioDecoder() {
    if (file_)
        sf_close(AsFile(file_));
}

ImportProblem AudioDecoder::OpenAac(bool mp4) {
    bytes_ = std::make_unique<FileBytes>(source_->file);
    AacTrack track;
    const ImportProblem problem =
        mp4 ? Mp4Reader::Read(*bytes_, track) : AdtsReader::Read(*bytes_, track);
    if (problem != ImportProblem::None)
        return problem;
    aac_ = std::make_unique<AacDecoder>();
    if (const ImportProblem opened = aac_->Open(*bytes_, std::move(track));
        opened != ImportProblem::None)
        return opened;
    channels_ = 1;
    sampleRate_ = aac_->sampleRate();
    frames_ = aac_->frames();
    return ImportProblem::None;
}

ImportProblem AudioDecoder::OpenWma(const std::string& path) {
    wma_ = std::make_unique<WmaDecoder>();
    if (const ImportProblem opened = wma_->Open(path); opened != ImportProblem::None)
        return opened;
    channels_ = wma_->channels();
    sampleRate_ = wma_->sampleRate();
    frames_ = wma_->frames();
    framesEstimated_ = true;
    return ImportProblem::None;
}

ImportProblem AudioDecoder::Open(const std::string& path) {
    // A named pipe is refused without waiting for a writer.
    auto source = std::make_unique<Source>();
    if (!source->file.Open(path))
        return ImportProblem::Unreadable;
    if (source->file.Size() == 0)
        return ImportProblem::Empty;
    if (TagAreaBytes(source->file, kMostTagBytes) > kMostTagBytes)
        return ImportProblem::TagsTooLarge;
    Head head{};
    if (source->file.ReadAt(0, head.data(), head.size()) < 0)
        return ImportProblem::Unreadable;
    source_ = std::move(source);
    FileBytes sniff(source_->file);
    if (Mp4(head) || AdtsReader::StartsWithFrame(sniff))
        return OpenAac(Mp4(head));
    if (Asf(head))
        return OpenWma(path);
    static SF_VIRTUAL_IO io = {Source::Length, Source::Seek, Source::Read, Source::Write,
                               Source::Tell};
    SF_INFO sfInfo{};
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &sfInfo, source_.get());
    if (!file)
        return RefusalReason(sf_error(nullptr), head);
    file_ = file;
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
    if (aac_)
        return aac_->Read(buffer, count);
    if (wma_)
        return wma_->Read(buffer, count);
    return file_ ? sf_readf_float(AsFile(file_), buffer, count) : 0;
}

bool AudioDecoder::failed() const {
    if (aac_)
        return aac_->failed();
    if (wma_)
        return wma_->failed();
    return file_ && sf_error(AsFile(file_)) != SF_ERR_NO_ERROR;
}

InputFile& AudioDecoder::input() {
    return source_->file;
}
