// The row layout of a monitoring entry: eight text cells in a fixed column order.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "text/fixed_texts.h"
#include "text/gbk_text.h"

namespace pagorin::items {

using text::Text;

enum Column : int32_t {
    kSequence = 0,        // 序号
    kStatus = 1,          // 监控状态: "停止" or "监控中"
    kUrl = 2,             // 监控网址
    kKeywords = 3,        // 监控关键词, keywords joined by "|"
    kSoundAlarm = 4,      // 声音报警: "是" or "否"
    kRefreshMinutes = 5,  // 刷新频率
    kMatchMode = 6,       // 监控方式: "或", "与", "同一行" or empty
    kTargetFound = 7,     // 发现目标: "否" or "是"
};

inline constexpr int32_t kColumnCount = 8;

// One entry. Entries live as rows of ItemList and nowhere else; this carries a row's
// texts, cell by cell, in column order.
struct MonitorItem {
    Text sequence;
    Text status;
    Text url;
    Text keywords;
    Text soundAlarm;
    Text refreshMinutes;
    Text matchMode;
    Text targetFound;

    // The cell of a column; `column` must be one of Column.
    Text& cell(int32_t column) { return this->*kCells[static_cast<size_t>(column)]; }
    const Text& cell(int32_t column) const { return this->*kCells[static_cast<size_t>(column)]; }

  private:
    static constexpr std::array<Text MonitorItem::*, kColumnCount> kCells = {
        &MonitorItem::sequence,  &MonitorItem::status,      &MonitorItem::url,
        &MonitorItem::keywords,  &MonitorItem::soundAlarm,  &MonitorItem::refreshMinutes,
        &MonitorItem::matchMode, &MonitorItem::targetFound,
    };
};

inline bool isColumn(int32_t column) {
    return column >= 0 && column < kColumnCount;
}

struct ColumnLayout {
    std::string_view header;
    int32_t width;  // initial width in pixels
};

inline constexpr std::array<ColumnLayout, kColumnCount> kColumnLayout = {{
    {text::kHeaderSequence, 36},
    {text::kHeaderStatus, 60},
    {text::kHeaderUrl, 200},
    {text::kHeaderKeywords, 120},
    {text::kHeaderSoundAlarm, 60},
    {text::kHeaderRefresh, 60},
    {text::kHeaderMatchMode, 60},
    {text::kHeaderTargetFound, 60},
}};

}  // namespace pagorin::items
