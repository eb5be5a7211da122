// RIFF/WAVE parsing and waveOut playback: one stream per sound, each on its own thread,
// because PlaySound keeps only one sound at a time and would cut an earlier alarm short.
#include "win32/wave_player.h"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <new>
#include <string>

#include "threads/background_thread.h"
#include "win32/system_library.h"
#include "win32/unique_resource.h"

namespace pagorin::win32 {
namespace {

uint32_t readLe(std::string_view bytes, size_t at, size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

uint16_t readLe16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(readLe(bytes, at, 2));
}

uint32_t readLe32(std::string_view bytes, size_t at) {
    return readLe(bytes, at, 4);
}

// The sound library's calls, from the system folder on the first alarm.
struct WaveOut {
    decltype(&waveOutOpen) open = nullptr;
    decltype(&waveOutPrepareHeader) prepareHeader = nullptr;
    decltype(&waveOutWrite) write = nullptr;
    decltype(&waveOutReset) reset = nullptr;
    decltype(&waveOutUnprepareHeader) unprepareHeader = nullptr;
    decltype(&waveOutClose) close = nullptr;
    bool bound() const {
        return open != nullptr && prepareHeader != nullptr && write != nullptr &&
               reset != nullptr && unprepareHeader != nullptr && close != nullptr;
    }
};

const WaveOut& waveOut() {
    static const WaveOut calls = [] {
        constexpr const wchar_t* kLibrary = L"winmm.dll";
        WaveOut found;
        found.open = SystemProcedure<decltype(&waveOutOpen)>(kLibrary, "waveOutOpen");
        found.prepareHeader =
            SystemProcedure<decltype(&waveOutPrepareHeader)>(kLibrary, "waveOutPrepareHeader");
        found.write = SystemProcedure<decltype(&waveOutWrite)>(kLibrary, "waveOutWrite");
        found.reset = SystemProcedure<decltype(&waveOutReset)>(kLibrary, "waveOutReset");
        found.unprepareHeader =
            SystemProcedure<decltype(&waveOutUnprepareHeader)>(kLibrary, "waveOutUnprepareHeader");
        found.close = SystemProcedure<decltype(&waveOutClose)>(kLibrary, "waveOutClose");
        return found;
    }();
    return calls;
}

// Plays `samples` (owned by the caller, alive until this returns) in `format`.
bool playSamples(const WaveImage& format, std::string& samples) {
    const WaveOut& calls = waveOut();
    if (!calls.bound()) return false;  // no sound library: silence, as with no device
    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.sampleRate;
    wave.nAvgBytesPerSec = format.bytesPerSecond;
    wave.nBlockAlign = format.blockAlign;
    wave.wBitsPerSample = format.bitsPerSample;
    wave.cbSize = 0;

    // Signalled by the driver on open, on each finished buffer and on close.
    UniqueHandle signal(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!signal) return false;
    HWAVEOUT out = nullptr;
    if (calls.open(&out, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(signal.get()), 0,
                   CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        return false;  // no device: the alarm stays silent, which is not an error
    }

    WAVEHDR header{};
    header.lpData = samples.data();
    header.dwBufferLength = static_cast<DWORD>(samples.size());
    bool finished = false;
    if (calls.prepareHeader(out, &header, sizeof header) == MMSYSERR_NOERROR) {
        if (calls.write(out, &header, sizeof header) == MMSYSERR_NOERROR) {
            // A driver that never reports the end must not keep this thread forever:
            // give it half the length again plus two seconds, then cut it off.
            const ULONGLONG length = samples.size() * 1000ULL / format.bytesPerSecond;
            const ULONGLONG deadline = GetTickCount64() + length + length / 2 + 2000;
            const volatile DWORD& flags = header.dwFlags;  // written by the driver
            while ((flags & WHDR_DONE) == 0) {
                const ULONGLONG now = GetTickCount64();
                if (now >= deadline) break;
                WaitForSingleObject(signal.get(),
                                    static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 500)));
            }
            finished = (flags & WHDR_DONE) != 0;
        }
        // Reset returns the buffer if it is still queued, so it can be unprepared.
        if (!finished) calls.reset(out);
        calls.unprepareHeader(out, &header, sizeof header);
    }
    calls.close(out);
    return finished;
}

}  // namespace

std::optional<WaveImage> ParseWave(std::string_view riffImage) {
    if (riffImage.size() < 12 || riffImage.substr(0, 4) != "RIFF" ||
        riffImage.substr(8, 4) != "WAVE") {
        return std::nullopt;
    }
    const uint32_t riffSize = readLe32(riffImage, 4);
    if (riffSize < 4 || riffSize > riffImage.size() - 8) return std::nullopt;  // truncated
    const size_t end = 8 + size_t{riffSize};

    std::optional<WaveImage> wave;
    bool haveFormat = false;
    for (size_t at = 12; end - at >= 8;) {
        const std::string_view id = riffImage.substr(at, 4);
        const uint32_t size = readLe32(riffImage, at + 4);
        const size_t body = at + 8;
        if (size > end - body) return std::nullopt;  // a chunk running past the image
        if (id == "fmt " && !haveFormat) {
            if (size < 16) return std::nullopt;
            haveFormat = true;
            wave.emplace();
            if (readLe16(riffImage, body) != WAVE_FORMAT_PCM) return std::nullopt;
            wave->channels = readLe16(riffImage, body + 2);
            wave->sampleRate = readLe32(riffImage, body + 4);
            wave->bytesPerSecond = readLe32(riffImage, body + 8);
            wave->blockAlign = readLe16(riffImage, body + 12);
            wave->bitsPerSample = readLe16(riffImage, body + 14);
        } else if (id == "data") {
            if (!haveFormat) return std::nullopt;  // the format must come first
            wave->samples = riffImage.substr(body, size);
            break;
        }
        // Chunks are padded to an even length.
        const size_t next = size_t{size} + (size & 1U);
        if (next > end - body) break;
        at = body + next;
    }
    if (!wave || wave->samples.data() == nullptr) return std::nullopt;

    const uint32_t bits = wave->bitsPerSample;
    if ((bits != 8 && bits != 16) || wave->channels == 0 || wave->sampleRate == 0 ||
        uint32_t{wave->blockAlign} != uint32_t{wave->channels} * bits / 8 ||
        wave->bytesPerSecond != uint64_t{wave->sampleRate} * wave->blockAlign) {
        return std::nullopt;
    }
    // A trailing partial block cannot be played.
    wave->samples =
        wave->samples.substr(0, wave->samples.size() - wave->samples.size() % wave->blockAlign);
    if (wave->samples.empty()) return std::nullopt;
    return wave;
}

bool PlayWave(std::string_view riffImage) {
    const std::optional<WaveImage> wave = ParseWave(riffImage);
    if (!wave) return false;
    // waveOut wants a writable buffer.
    std::string samples(wave->samples);
    return playSamples(*wave, samples);
}

bool PlayWaveAsync(std::string_view riffImage) {
    std::optional<WaveImage> wave = ParseWave(riffImage);
    if (!wave) return false;
    try {
        // The thread owns its copy: the caller's image may be gone before the sound ends.
        std::string samples(wave->samples);
        wave->samples = {};
        return threads::StartBackgroundThread(
            [format = *wave, samples = std::move(samples)]() mutable {
                playSamples(format, samples);
            });
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace pagorin::win32
