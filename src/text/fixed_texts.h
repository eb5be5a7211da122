// The program's fixed texts, once each, as the GBK bytes it stores and compares.
// Cells are compared with these byte for byte: no trimming, no case folding.
#pragma once

#include <string_view>

namespace pagorin::text {

inline constexpr std::string_view kStopped = "\xCD\xA3\xD6\xB9";             // 停止
inline constexpr std::string_view kMonitoring = "\xBC\xE0\xBF\xD8\xD6\xD0";  // 监控中
inline constexpr std::string_view kYes = "\xCA\xC7";                         // 是
inline constexpr std::string_view kNo = "\xB7\xF1";                          // 否

inline constexpr std::string_view kModeAny = "\xBB\xF2";                        // 或
inline constexpr std::string_view kModeAll = "\xD3\xEB";                        // 与
inline constexpr std::string_view kModeSameLine = "\xCD\xAC\xD2\xBB\xD0\xD0";   // 同一行
inline constexpr std::string_view kTagAny = "[\xBB\xF2]";                       // [或]
inline constexpr std::string_view kTagAll = "[\xD3\xEB]";                       // [与]
inline constexpr std::string_view kTagSameLine = "[\xCD\xAC\xD2\xBB\xD0\xD0]";  // [同一行]

inline constexpr std::string_view kKeywordSeparator = "|";
inline constexpr std::string_view kLineBreak = "\r\n";
inline constexpr std::string_view kFullWidthComma = "\xA3\xAC";  // ，

// Caption of the program's notices and refusals.
inline constexpr std::string_view kCaptionNotice = "\xCC\xE1\xCA\xBE";  // 提示

// Column headers of the item list, in column order.
inline constexpr std::string_view kHeaderSequence = "\xD0\xF2\xBA\xC5";                // 序号
inline constexpr std::string_view kHeaderStatus = "\xBC\xE0\xBF\xD8\xD7\xB4\xCC\xAC";  // 监控状态
inline constexpr std::string_view kHeaderUrl = "\xBC\xE0\xBF\xD8\xCD\xF8\xD6\xB7";  // 监控网址
inline constexpr std::string_view kHeaderKeywords =
    "\xBC\xE0\xBF\xD8\xB9\xD8\xBC\xFC\xB4\xCA";  // 监控关键词
inline constexpr std::string_view kHeaderSoundAlarm =
    "\xC9\xF9\xD2\xF4\xB1\xA8\xBE\xAF";  // 声音报警
inline constexpr std::string_view kHeaderRefresh = "\xCB\xA2\xD0\xC2\xC6\xB5\xC2\xCA";  // 刷新频率
inline constexpr std::string_view kHeaderMatchMode =
    "\xBC\xE0\xBF\xD8\xB7\xBD\xCA\xBD";  // 监控方式
inline constexpr std::string_view kHeaderTargetFound =
    "\xB7\xA2\xCF\xD6\xC4\xBF\xB1\xEA";  // 发现目标

}  // namespace pagorin::text
