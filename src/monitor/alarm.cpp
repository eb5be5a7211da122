// RaiseAlarm and its message text.
#include "monitor/alarm.h"

#include "text/fixed_texts.h"

namespace pagorin::monitor {
Text AlarmMessage(std::string_view address, const FoundTarget& find) {
    Text message(kAlarmTextHead);
    message.append(address).append(kAlarmTextMiddle).append(find.targetText).append(find.modeTag);
    return message;
}

bool RaiseAlarm(const AlarmContext& context, int32_t row, std::string_view address,
                const FoundTarget& find) {
    if (!context.sleeper.sleep(kAlarmDelay, context.stop)) return false;
    if (context.list.cellText(row, items::kSoundAlarm) == text::kYes) {
        context.presenter.playSound();
    }
    context.presenter.showMessage(AlarmMessage(address, find), kAlarmCaption, context.stop);
    // Both writes or neither: a stop while the message was open leaves the row as it was.
    return context.stop.writeUnlessStopped([&] {
        context.list.setCellText(row, items::kTargetFound, text::kYes);
        context.list.setCellText(row, items::kStatus, text::kStopped);
    });
}

}  // namespace pagorin::monitor
