#include "import/WmaDecoder.h"

#include "platform/windows/WindowsText.h"

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <propidl.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);

// Media Foundation's entry points, loaded once: the N editions of Windows lack its DLLs, and
// the program must start there all the same.
struct MediaFoundation {
    HRESULT(WINAPI* startup)(ULONG, DWORD) = nullptr;
    HRESULT(WINAPI* shutdown)() = nullptr;
    HRESULT(WINAPI* createMediaType)(IMFMediaType**) = nullptr;
    HRESULT(WINAPI* createReader)(const WCHAR*, IMFAttributes*, IMFSourceReader**) = nullptr;

    static const MediaFoundation* Get() {
        static const MediaFoundation loaded = Load();
        return loaded.createReader ? &loaded : nullptr;
    }

private:
    template <typename Function>
    static bool Find(HMODULE module, const char* name, Function& into) {
        FARPROC found = module ? GetProcAddress(module, name) : nullptr;
        if (found)
            std::memcpy(&into, &found, sizeof into);
        return found != nullptr;
    }

    static MediaFoundation Load() {
        MediaFoundation functions;
        // From the system folder only, never from beside a file being imported.
        HMODULE platform = LoadLibraryExW(L"mfplat.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        HMODULE readWrite =
            LoadLibraryExW(L"mfreadwrite.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!Find(platform, "MFStartup", functions.startup) ||
            !Find(platform, "MFShutdown", functions.shutdown) ||
            !Find(platform, "MFCreateMediaType", functions.createMediaType) ||
            !Find(readWrite, "MFCreateSourceReaderFromURL", functions.createReader))
            functions.createReader = nullptr;
        return functions; // the DLLs stay loaded for the process's life
    }
};

template <typename Interface> void Release(Interface*& pointer) {
    if (pointer)
        pointer->Release();
    pointer = nullptr;
}

} // namespace

// One file's reader, with COM and Media Foundation started on this thread for it.
struct WmaDecoder::System {
    const MediaFoundation* functions = nullptr;
    bool comStarted = false;
    bool mfStarted = false;
    IMFSourceReader* reader = nullptr;
    std::vector<float> pending;
    std::size_t pendingAt = 0;
    bool ended = false;

    ~System() {
        Release(reader);
        if (mfStarted)
            functions->shutdown();
        if (comStarted)
            CoUninitialize();
    }
};

WmaDecoder::WmaDecoder() = default;
WmaDecoder::~WmaDecoder() = default;

ImportProblem WmaDecoder::Open(const std::string& path) {
    system_ = std::make_unique<System>();
    System& system = *system_;
    system.functions = MediaFoundation::Get();
    if (!system.functions)
        return ImportProblem::WmaNeedsMediaFoundation;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    system.comStarted = SUCCEEDED(com); // a thread already in another mode goes on as it is
    if (FAILED(system.functions->startup(MF_VERSION, MFSTARTUP_LITE)))
        return ImportProblem::WmaNeedsMediaFoundation;
    system.mfStarted = true;
    HRESULT result = system.functions->createReader(Wide(path).c_str(), nullptr, &system.reader);
    if (FAILED(result))
        return result == MF_E_DRM_UNSUPPORTED ? ImportProblem::Protected : ImportProblem::Damaged;
    IMFMediaType* wanted = nullptr;
    result =
        system.reader->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);
    if (SUCCEEDED(result))
        result = system.reader->SetStreamSelection(kAudio, TRUE);
    if (FAILED(result))
        return ImportProblem::NotAudio;
    result = system.functions->createMediaType(&wanted);
    if (SUCCEEDED(result))
        result = wanted->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    if (SUCCEEDED(result))
        result = wanted->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_Float);
    if (SUCCEEDED(result))
        result = system.reader->SetCurrentMediaType(kAudio, nullptr, wanted);
    Release(wanted);
    if (FAILED(result))
        return result == MF_E_DRM_UNSUPPORTED ? ImportProblem::Protected
                                              : ImportProblem::Unsupported;
    IMFMediaType* current = nullptr;
    UINT32 channels = 0, rate = 0;
    result = system.reader->GetCurrentMediaType(kAudio, &current);
    if (SUCCEEDED(result))
        result = current->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
    if (SUCCEEDED(result))
        result = current->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
    Release(current);
    if (FAILED(result) || channels == 0 || channels > 64 || rate == 0 || rate > 384000)
        return ImportProblem::Damaged;
    channels_ = static_cast<int>(channels);
    sampleRate_ = static_cast<int>(rate);
    // The announced length, in units of 100 ns; none leaves the progress without a scale.
    PROPVARIANT duration;
    PropVariantInit(&duration);
    if (SUCCEEDED(system.reader->GetPresentationAttribute(
            static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE), MF_PD_DURATION, &duration)) &&
        duration.vt == VT_UI8)
        frames_ = static_cast<std::int64_t>(duration.uhVal.QuadPart / 10000 * rate / 1000);
    PropVariantClear(&duration);
    return ImportProblem::None;
}

std::int64_t WmaDecoder::Read(float* buffer, std::int64_t count) {
    if (!system_ || !system_->reader)
        return 0;
    System& system = *system_;
    const auto channels = static_cast<std::size_t>(channels_);
    std::int64_t done = 0;
    while (done < count && !failed_) {
        if (system.pendingAt < system.pending.size()) {
            const std::size_t frames =
                std::min<std::size_t>(static_cast<std::size_t>(count - done),
                                      (system.pending.size() - system.pendingAt) / channels);
            std::memcpy(buffer + done * channels_, system.pending.data() + system.pendingAt,
                        frames * channels * sizeof(float));
            system.pendingAt += frames * channels;
            done += static_cast<std::int64_t>(frames);
            continue;
        }
        if (system.ended)
            break;
        DWORD flags = 0;
        IMFSample* sample = nullptr;
        if (FAILED(system.reader->ReadSample(kAudio, 0, nullptr, &flags, nullptr, &sample)) ||
            (flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED)) {
            Release(sample);
            failed_ = true;
            break;
        }
        system.ended = (flags & MF_SOURCE_READERF_ENDOFSTREAM) != 0;
        system.pending.clear();
        system.pendingAt = 0;
        IMFMediaBuffer* contiguous = nullptr;
        BYTE* data = nullptr;
        DWORD length = 0;
        if (sample && SUCCEEDED(sample->ConvertToContiguousBuffer(&contiguous)) &&
            SUCCEEDED(contiguous->Lock(&data, nullptr, &length))) {
            const std::size_t floats = length / sizeof(float) / channels * channels;
            system.pending.resize(floats);
            std::memcpy(system.pending.data(), data, floats * sizeof(float));
            contiguous->Unlock();
        } else if (sample) {
            failed_ = true;
        }
        Release(contiguous);
        Release(sample);
    }
    return done;
}
