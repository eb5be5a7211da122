// Synthesises the alarm: bursts that sweep between two pitches, like a siren, so the
// sound is heard across a room and cannot be mistaken for a system beep.
#include "monitor/alarm_sound.h"

#include <algorithm>
#include <cmath>

namespace pagorin::monitor {
namespace {

void putLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string synthesise() {
    constexpr double kPi = 3.14159265358979323846;
    constexpr uint32_t kBurst = 9600;    // 0.6 s of sound
    constexpr uint32_t kSilence = 4800;  // then 0.3 s of silence
    constexpr uint32_t kFade = 160;      // 10 ms edges, so bursts start without a click
    std::string wave;
    wave.reserve(kAlarmSoundSize);
    wave += "RIFF";
    putLittleEndian(wave, static_cast<uint32_t>(kAlarmSoundSize - 8), 4);
    wave += "WAVEfmt ";
    putLittleEndian(wave, 16, 4);                    // fmt chunk size
    putLittleEndian(wave, 1, 2);                     // PCM
    putLittleEndian(wave, 1, 2);                     // mono
    putLittleEndian(wave, kAlarmSampleRate, 4);      // samples per second
    putLittleEndian(wave, kAlarmSampleRate * 2, 4);  // bytes per second
    putLittleEndian(wave, 2, 2);                     // block align
    putLittleEndian(wave, 16, 2);                    // bits per sample
    wave += "data";
    putLittleEndian(wave, 2 * kAlarmSampleCount, 4);
    double phase = 0.0;
    for (uint32_t i = 0; i < kAlarmSampleCount; ++i) {
        const uint32_t inPeriod = i % (kBurst + kSilence);
        double sample = 0.0;
        if (inPeriod < kBurst) {
            // The pitch sweeps 700 -> 1400 Hz and back four times a second.
            const double t = static_cast<double>(inPeriod) / kAlarmSampleRate;
            const double sweep = 0.5 - 0.5 * std::cos(2.0 * kPi * 4.0 * t);
            phase += 2.0 * kPi * (700.0 + 700.0 * sweep) / kAlarmSampleRate;
            const double edge = std::min({1.0, static_cast<double>(inPeriod) / kFade,
                                          static_cast<double>(kBurst - inPeriod) / kFade});
            // A touch of the third harmonic makes it harsher, as an alarm should be.
            sample = edge * (0.8 * std::sin(phase) + 0.15 * std::sin(3.0 * phase));
        }
        const auto value = static_cast<int16_t>(std::lround(sample * 30000.0));
        putLittleEndian(wave, static_cast<uint16_t>(value), 2);
    }
    return wave;
}

}  // namespace

const std::string& AlarmSound() {
    static const std::string sound = synthesise();
    return sound;
}

}  // namespace pagorin::monitor
