// The worker's page reader on Windows: its own automation HTTP object, the program's
// HTTP client for UTF-8 refetches, and the Windows code-page converters.
#pragma once

#include <memory>

#include "monitor/monitor_ports.h"
#include "platform/win32/xml_http_object.h"

namespace pagorin::platform {

class Win32PageReaderFactory : public monitor::PageReaderFactory {
  public:
    explicit Win32PageReaderFactory(FetchLimits limits = {}) : limits_(limits) {}
    std::unique_ptr<monitor::PageReader> create(monitor::StopToken& stop) override;

  private:
    FetchLimits limits_;
};

}  // namespace pagorin::platform
