// "开始监控", "停止监控" and the elapsed-time clock: the three worker slots of rows 0 to 2.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include "items/item_list.h"
#include "monitor/monitor_ports.h"
#include "monitor/monitor_worker.h"
#include "system/user_messages.h"
#include "text/gbk_texts.h"

namespace pagorin::monitor {

inline constexpr int32_t kElapsedTickMilliseconds = 1000;
// The clock stops there: its box has two digits for the hours.
inline constexpr int32_t kElapsedHoursLimit = 99;

struct MonitoringServices {
    items::ItemList& list;
    system::UserMessages& messages;
    ElapsedDisplay& display;
    Sleeper& sleeper;
    PageReaderFactory& readers;
    AlarmPresenter& presenter;
};

class Monitoring : public MonitorCommands, public RowWorkers {
  public:
    explicit Monitoring(const MonitoringServices& services) : services_(services) {}
    // Stops every worker and waits for their threads. The program itself never gets
    // here: it ends with its workers still running, as the process ends.
    ~Monitoring() override;
    Monitoring(const Monitoring&) = delete;
    Monitoring& operator=(const Monitoring&) = delete;

    void StartMonitoring() override;
    void StopMonitoring() override;
    void ElapsedTick() override;
    void EndWorkersFromRow(int32_t row) override;

    // Waits until no worker thread is left, as the destructor does; false when one is
    // still running at `timeout`.
    bool waitUntilWorkersEnd(std::chrono::milliseconds timeout);

  private:
    // Each worker has its own stop, so a slot's new worker can replace an old one that
    // is still running (one that was set back to "否" after its alarm) without
    // leaving two workers on one row.
    struct Worker {
        std::shared_ptr<StopToken> stop;
    };

    bool startable(int32_t row) const;
    void launch(const WorkerSlot& slot);

    MonitoringServices services_;
    std::array<Worker, kWorkerSlots.size()> slots_{};
    int32_t hours_ = 0;
    int32_t minutes_ = 0;
    int32_t seconds_ = 0;

    // Live worker threads, counted for the wait above.
    struct LiveCount {
        std::mutex mutex;
        std::condition_variable changed;
        int count = 0;
    };
    std::shared_ptr<LiveCount> live_ = std::make_shared<LiveCount>();
};

// "HH:MM:SS", each field the last two characters of "0" + the number.
Text ElapsedText(int32_t hours, int32_t minutes, int32_t seconds);

}  // namespace pagorin::monitor
