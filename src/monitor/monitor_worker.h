// The monitor worker: watches one of the first three rows until it has been found.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>

#include "items/item_list.h"
#include "monitor/monitor_ports.h"

namespace pagorin::monitor {

struct WorkerSlot {
    int32_t row;
    std::chrono::milliseconds startDelay;  // so the three first fetches come 10 s apart
};

inline constexpr std::array<WorkerSlot, 3> kWorkerSlots = {{
    {0, std::chrono::milliseconds(0)},
    {1, std::chrono::milliseconds(10000)},
    {2, std::chrono::milliseconds(20000)},
}};

// The refresh cell as milliseconds: minutes read by the text-to-integer rule, times
// 60 000, truncated to a signed 32-bit count. Beyond that range it is clamped, so an
// absurd interval means "very long" (or "no wait"), never a wrapped-around number.
int32_t RefreshIntervalMilliseconds(std::string_view refreshCell);

struct WorkerContext {
    items::ItemList& list;
    Sleeper& sleeper;
    PageReaderFactory& readers;
    AlarmPresenter& presenter;
    StopToken& stop;
};

// The body of one worker's thread. Returns when the row has been found or the run was
// stopped; after a stop it writes nothing.
void MonitorWorker(const WorkerContext& context, const WorkerSlot& slot);

}  // namespace pagorin::monitor
