// The alarm of one find: a delay, the sound, the message, then the row marked found.
#pragma once

#include <cstdint>
#include <string_view>

#include "items/item_list.h"
#include "monitor/keyword_match.h"
#include "monitor/monitor_ports.h"
#include "text/gbk_texts.h"

namespace pagorin::monitor {

inline constexpr std::chrono::milliseconds kAlarmDelay{10000};

// "在下面网页中发现监控目标：\r\n\r\n监控网址：" + address + "\r\n监控目标：" + target + tag
Text AlarmMessage(std::string_view address, const FoundTarget& find);

struct AlarmContext {
    items::ItemList& list;
    Sleeper& sleeper;
    AlarmPresenter& presenter;
    StopToken& stop;
};

// Waits 10 s, plays the sound when 声音报警 is exactly "是", shows the message, and
// after it is closed writes "是" into 发现目标 and then "停止" into 监控状态.
// Returns false, having written nothing, when the run was stopped on the way.
bool RaiseAlarm(const AlarmContext& context, int32_t row, std::string_view address,
                const FoundTarget& find);

}  // namespace pagorin::monitor
