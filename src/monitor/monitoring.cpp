// Starting and stopping the workers, and the clock of the time spent monitoring.
#include "monitor/monitoring.h"

#include "text/fixed_texts.h"
#include "threads/background_thread.h"

namespace pagorin::monitor {
namespace {

Text twoDigits(int32_t value) {
    Text padded("0");
    padded.append(text::IntToText(value));
    return padded.substr(padded.size() - 2);
}

}  // namespace

Text ElapsedText(int32_t hours, int32_t minutes, int32_t seconds) {
    Text elapsed = twoDigits(hours);
    elapsed.append(":").append(twoDigits(minutes)).append(":").append(twoDigits(seconds));
    return elapsed;
}

Monitoring::~Monitoring() {
    for (Worker& worker : slots_) {
        if (worker.stop) worker.stop->requestStop();
    }
    waitUntilWorkersEnd(std::chrono::hours(1));
}

bool Monitoring::startable(int32_t row) const {
    return !services_.list.cellText(row, items::kSequence).empty() &&
           services_.list.cellText(row, items::kTargetFound) != text::kYes;
}

void Monitoring::StartMonitoring() {
    using system::MessageIcon;
    items::ItemList& list = services_.list;
    if (list.cellText(0, items::kSequence).empty() &&
        list.cellText(0, items::kTargetFound).empty()) {
        services_.messages.show(kAddEntriesFirst, text::kCaptionNotice, MessageIcon::kInformation);
        return;
    }
    if (items::monitoringActive(list)) {
        services_.messages.show(kAlreadyMonitoring, text::kCaptionNotice,
                                MessageIcon::kInformation);
        return;
    }
    bool any = false;
    for (const WorkerSlot& slot : kWorkerSlots) any = any || startable(slot.row);
    if (!any) return;
    // The counters keep running: only the stop resets them.
    services_.display.setElapsedText("00:00:00");
    services_.display.setElapsedTimerInterval(kElapsedTickMilliseconds);
    for (const WorkerSlot& slot : kWorkerSlots) {
        if (startable(slot.row)) launch(slot);
    }
}

void Monitoring::launch(const WorkerSlot& slot) {
    Worker& worker = slots_[static_cast<size_t>(slot.row)];
    if (worker.stop) worker.stop->requestStop();
    auto stop = std::make_shared<StopToken>();
    std::shared_ptr<LiveCount> live = live_;
    {
        std::lock_guard lock(live->mutex);
        ++live->count;
    }
    const bool started = threads::StartBackgroundThread([services = services_, slot, stop, live] {
        // Counted down however the worker ends, also by a failure it could not handle.
        struct Ended {
            LiveCount& live;
            ~Ended() {
                std::lock_guard lock(live.mutex);
                --live.count;
                live.changed.notify_all();
            }
        } ended{*live};
        const WorkerContext context{services.list, services.sleeper, services.readers,
                                    services.presenter, *stop};
        MonitorWorker(context, slot);
    });
    if (started) {
        worker.stop = std::move(stop);
    } else {
        // No thread: the row is simply not watched this time.
        std::lock_guard lock(live->mutex);
        --live->count;
    }
}

void Monitoring::StopMonitoring() {
    services_.display.setElapsedTimerInterval(0);
    hours_ = minutes_ = seconds_ = 0;
    // Workers first: after this no worker writes, so the "停止" below is the last word.
    for (Worker& worker : slots_) {
        if (worker.stop) worker.stop->requestStop();
    }
    for (const WorkerSlot& slot : kWorkerSlots) {
        services_.list.setCellText(slot.row, items::kStatus, text::kStopped);
    }
}

void Monitoring::EndWorkersFromRow(int32_t row) {
    for (const WorkerSlot& slot : kWorkerSlots) {
        Worker& worker = slots_[static_cast<size_t>(slot.row)];
        if (slot.row >= row && worker.stop) worker.stop->requestStop();
    }
}

void Monitoring::ElapsedTick() {
    seconds_ += 1;
    if (seconds_ == 60) {
        minutes_ += 1;
        seconds_ = 0;
    }
    if (minutes_ == 60) {
        hours_ += 1;
        minutes_ = 0;
    }
    if (hours_ == kElapsedHoursLimit) services_.display.setElapsedTimerInterval(0);
    services_.display.setElapsedText(ElapsedText(hours_, minutes_, seconds_));
}

bool Monitoring::waitUntilWorkersEnd(std::chrono::milliseconds timeout) {
    std::unique_lock lock(live_->mutex);
    return live_->changed.wait_for(lock, timeout, [this] { return live_->count == 0; });
}

}  // namespace pagorin::monitor
