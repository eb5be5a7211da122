// The worker's page reader on Windows: the page request and the UTF-8 refetches through
// the system Internet library, and the Windows code-page converters.
#pragma once

#include <chrono>
#include <memory>

#include "fetch/internet_request.h"
#include "monitor/monitor_ports.h"

namespace pagorin::program {

class Win32PageReaderFactory : public monitor::PageReaderFactory {
  public:
    // `timeLimit`: how long a worker waits for each request, and the bounds each request
    // keeps to by itself.
    explicit Win32PageReaderFactory(std::chrono::milliseconds timeLimit = fetch::kPageTimeLimit)
        : timeLimit_(timeLimit) {}
    std::unique_ptr<monitor::PageReader> create(monitor::StopToken& stop) override;

  private:
    std::chrono::milliseconds timeLimit_;
};

}  // namespace pagorin::program
