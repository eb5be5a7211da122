// The worker's page reader on Windows: its own automation HTTP object, the program's
// HTTP client for UTF-8 refetches, and the Windows code-page converters.
#pragma once

#include <memory>

#include "monitor/monitor_ports.h"

namespace pagorin::platform {

class Win32PageReaderFactory : public monitor::PageReaderFactory {
public:
    std::unique_ptr<monitor::PageReader> create() override;
};

}  // namespace pagorin::platform
