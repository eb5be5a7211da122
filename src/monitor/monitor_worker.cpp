// One worker: "监控中", the start delay, then fetch, match, alarm and wait, cycle after cycle.
#include "monitor/monitor_worker.h"

#include <exception>
#include <limits>

#include "monitor/alarm.h"
#include "monitor/keyword_match.h"
#include "text/fixed_texts.h"

namespace pagorin::monitor {

int32_t RefreshIntervalMilliseconds(std::string_view refreshCell) {
    const double milliseconds = static_cast<double>(text::TextToInt(refreshCell)) * 60000.0;
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    constexpr double kMin = std::numeric_limits<int32_t>::min();
    if (milliseconds >= kMax) return std::numeric_limits<int32_t>::max();
    if (milliseconds <= kMin) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(milliseconds);
}

void MonitorWorker(const WorkerContext& context, const WorkerSlot& slot) {
    using items::ItemList;
    ItemList& list = context.list;
    const int32_t row = slot.row;
    if (!context.stop.writeUnlessStopped(
            [&] { list.setCellText(row, items::kStatus, text::kMonitoring); })) {
        return;
    }
    if (slot.startDelay.count() > 0 && !context.sleeper.sleep(slot.startDelay, context.stop)) {
        return;
    }
    // The settings are read once: changes to the row count from the next start.
    const Text address = list.cellText(row, items::kUrl);
    const Text keywordText = list.cellText(row, items::kKeywords);
    const KeywordList keywords = SplitKeywords(keywordText);
    const int32_t interval =
        RefreshIntervalMilliseconds(list.cellText(row, items::kRefreshMinutes));
    const Text mode = list.cellText(row, items::kMatchMode);

    const std::unique_ptr<PageReader> reader = context.readers.create(context.stop);
    const AlarmContext alarm{list, context.sleeper, context.presenter, context.stop};
    while (!context.stop.stopRequested()) {
        if (list.cellText(row, items::kTargetFound) == text::kYes) return;
        FindList finds;
        try {
            const Text page = reader->read(address);
            // A fetch that outlived a stop is thrown away.
            if (context.stop.stopRequested()) return;
            finds = MatchPage(page, keywords, keywordText, mode);
        } catch (const std::exception&) {
            // A cycle that cannot finish (a page too large for the memory left) is an
            // empty page: the worker goes on with its next cycle.
        }
        for (const FoundTarget& find : finds) {
            if (!RaiseAlarm(alarm, row, address, find)) return;
        }
        if (interval > 0 &&
            !context.sleeper.sleep(std::chrono::milliseconds(interval), context.stop)) {
            return;
        }
    }
}

}  // namespace pagorin::monitor
