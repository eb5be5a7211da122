// The native build has no system Internet library: opening always fails, so a
// request made there comes back empty instead of reaching the network.
#include "fetch/internet_api.h"

namespace pagorin::fetch {
namespace {

class UnavailableInternetApi final : public InternetApi {
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
    bool queryInfo(InternetHandle, uint32_t, void*, uint32_t*, uint32_t*) override { return false; }
    bool closeHandle(InternetHandle) override { return false; }
};

}  // namespace

InternetApi& DefaultInternetApi() {
    static UnavailableInternetApi api;
    return api;
}

}  // namespace pagorin::fetch
