// Plays RIFF/WAVE images from memory, each on its own waveOut stream, so sounds overlap
// instead of cutting one another off.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pagorin::win32 {

// What a RIFF/WAVE image holds: its PCM format and a view of its samples.
struct WaveImage {
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t bytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    std::string_view samples;  // whole blocks only
};

// Reads the "fmt " and "data" chunks; nothing for a malformed image, a format other
// than 8- or 16-bit PCM, or one without a single whole sample block.
std::optional<WaveImage> ParseWave(std::string_view riffImage);

// Plays the image to its end on the calling thread. False, at once, when the image is
// refused or no output device can be opened.
bool PlayWave(std::string_view riffImage);

// Starts playing a copy of the image on a thread of its own and returns at once; false
// when the image is refused or no thread could be started. With no output device the
// thread ends quietly.
bool PlayWaveAsync(std::string_view riffImage);

}  // namespace pagorin::win32
