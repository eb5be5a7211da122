// The alarm on Windows: the sound on a waveOut stream of its own, the message in a box
// on the worker's own thread that the run's stop takes down.
#pragma once

#include <string_view>

#include "monitor/monitor_ports.h"

namespace pagorin::adapters {

class Win32AlarmPresenter : public monitor::AlarmPresenter {
  public:
    // Returns at once; each call plays on its own, so alarms overlap. Silent without a
    // sound device.
    void playSound() override;

    // An information box without owner, so the main window and the other workers stay
    // usable while it is open. Texts are GBK.
    void showMessage(std::string_view text, std::string_view caption,
                     monitor::StopToken& stop) override;
};

}  // namespace pagorin::adapters
