// RaiseAlarm and its message text.
#include "monitor/alarm.h"

#include "text/fixed_texts.h"

namespace pagorin::monitor {
namespace {

// "在下面网页中发现监控目标：\r\n\r\n监控网址："
constexpr std::string_view kHead =
    "\xD4\xDA\xCF\xC2\xC3\xE6\xCD\xF8\xD2\xB3\xD6\xD0\xB7\xA2\xCF\xD6\xBC\xE0\xBF\xD8\xC4\xBF\xB1"
    "\xEA\xA3\xBA\r\n\r\n\xBC\xE0\xBF\xD8\xCD\xF8\xD6\xB7\xA3\xBA";
// "\r\n监控目标："
constexpr std::string_view kMiddle = "\r\n\xBC\xE0\xBF\xD8\xC4\xBF\xB1\xEA\xA3\xBA";

}  // namespace

Text AlarmMessage(std::string_view address, const FoundTarget& find) {
    Text message(kHead);
    message.append(address).append(kMiddle).append(find.targetText).append(find.modeTag);
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
