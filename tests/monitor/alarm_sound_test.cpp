// The alarm recording's RIFF/WAVE image: its exact header and size, and that it holds
// loud bursts with silences between them.
#include "monitor/alarm_sound.h"

#include <gtest/gtest.h>

#include <cstring>

namespace pagorin::monitor {
namespace {

uint32_t read32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return value;
}
uint16_t read16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

TEST(AlarmSound, HeaderAndSize) {
    const std::string& wave = AlarmSound();
    ASSERT_EQ(wave.size(), 245178u);
    EXPECT_EQ(wave.substr(0, 4), "RIFF");
    EXPECT_EQ(read32(wave, 4), 245170u);
    EXPECT_EQ(wave.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(read32(wave, 16), 16u);
    EXPECT_EQ(read16(wave, 20), 1u);      // PCM
    EXPECT_EQ(read16(wave, 22), 1u);      // mono
    EXPECT_EQ(read32(wave, 24), 16000u);  // samples per second
    EXPECT_EQ(read32(wave, 28), 32000u);  // bytes per second
    EXPECT_EQ(read16(wave, 32), 2u);      // block align
    EXPECT_EQ(read16(wave, 34), 16u);     // bits per sample
    EXPECT_EQ(wave.substr(36, 4), "data");
    EXPECT_EQ(read32(wave, 40), 245134u);
    EXPECT_EQ(&AlarmSound(), &wave);  // built once
}

TEST(AlarmSound, LoudBurstsSeparatedBySilences) {
    const std::string& wave = AlarmSound();
    // Per 0.1 s block: loud (peak above half scale) or silent (all zero).
    int loudBlocks = 0;
    int silentBlocks = 0;
    int changes = 0;
    bool previousLoud = false;
    for (size_t block = 0; block * 1600 + 1600 <= kAlarmSampleCount; ++block) {
        int peak = 0;
        for (size_t i = 0; i < 1600; ++i) {
            const auto sample = static_cast<int16_t>(read16(wave, 44 + 2 * (block * 1600 + i)));
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        }
        const bool loud = peak > 16000;
        loudBlocks += loud;
        silentBlocks += peak == 0;
        if (block > 0 && loud != previousLoud) ++changes;
        previousLoud = loud;
    }
    EXPECT_GT(loudBlocks, 40);
    EXPECT_GT(silentBlocks, 10);
    EXPECT_GE(changes, 12);  // at least six bursts
}

}  // namespace
}  // namespace pagorin::monitor
