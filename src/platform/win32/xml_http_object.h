// The worker's HTTP object: an "Msxml2.XMLHTTP" instance driven by name through its
// automation interface. It must be created, used and destroyed on one thread.
#pragma once

#include <windows.h>

#include <functional>

#include "fetch/page_fetch.h"
#include "platform/win32/com_ptr.h"

namespace pagorin::platform {

class XmlHttpObject : public fetch::HttpObject {
public:
    // Makes one new instance; the default asks COM for "Msxml2.XMLHTTP".
    using Creator = std::function<HRESULT(IDispatch** instance)>;

    XmlHttpObject();
    explicit XmlHttpObject(Creator creator);
    // Releases the instance, then undoes this thread's COM initialisations.
    ~XmlHttpObject() override;
    XmlHttpObject(const XmlHttpObject&) = delete;
    XmlHttpObject& operator=(const XmlHttpObject&) = delete;

    void renew() override;
    std::optional<std::string> get(std::string_view address) override;

    bool hasInstance() const { return static_cast<bool>(instance_); }
    IDispatch* instance() const { return instance_.get(); }

private:
    Creator creator_;
    ComPtr<IDispatch> instance_;
    int comInitializations_ = 0;
};

}  // namespace pagorin::platform
