// The alarm recording, made by the program itself: a RIFF/WAVE image played from memory.
#pragma once

#include <cstdint>
#include <string>

namespace pagorin::monitor {

inline constexpr uint32_t kAlarmSampleRate = 16000;
inline constexpr uint32_t kAlarmSampleCount = 122567;  // about 7.66 s
inline constexpr size_t kAlarmSoundSize = 44 + 2 * kAlarmSampleCount;

// PCM, mono, 16 000 Hz, 16 bits: loud two-tone bursts separated by short silences.
// Built once, the same bytes on every run.
const std::string& AlarmSound();

}  // namespace pagorin::monitor
