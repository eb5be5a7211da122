// An Internet library whose open() always fails.
#include "adapters/posix/internet.h"

namespace pagorin::adapters {
namespace {

using fetch::InternetHandle;

class UnavailableInternetApi final : public fetch::InternetApi {
  public:
    InternetHandle open(const char*, uint32_t, const char*, const char*, uint32_t) override {
        return nullptr;
    }
    InternetHandle connect(InternetHandle, const char*, uint16_t, const char*, const char*,
                           uint32_t, uint32_t, uintptr_t) override {
        return nullptr;
    }
    InternetHandle openRequest(InternetHandle, const char*, const char*, const char*, const char*,
                               const char* const*, uint32_t, uintptr_t) override {
        return nullptr;
    }
    bool setOption(InternetHandle, uint32_t, const void*, uint32_t) override { return false; }
    bool sendRequest(InternetHandle, const char*, uint32_t, const void*, uint32_t) override {
        return false;
    }
    bool readFile(InternetHandle, void*, uint32_t, uint32_t* bytesRead) override {
        if (bytesRead != nullptr) *bytesRead = 0;
        return false;
    }
    bool queryDataAvailable(InternetHandle, uint32_t* bytesAvailable) override {
        if (bytesAvailable != nullptr) *bytesAvailable = 0;
        return false;
    }
    bool queryInfo(InternetHandle, uint32_t, void*, uint32_t*, uint32_t*) override { return false; }
    bool closeHandle(InternetHandle) override { return false; }
};

}  // namespace

fetch::InternetApi& SystemInternetApi() {
    static UnavailableInternetApi api;
    return api;
}

}  // namespace pagorin::adapters
