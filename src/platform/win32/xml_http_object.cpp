// Late-bound calls "open", "send", "abort" and the properties "readyState" and
// "responseBody" on the HTTP object.
#include "platform/win32/xml_http_object.h"

#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

namespace pagorin::platform {
namespace {

HRESULT dispatchId(IDispatch* object, const wchar_t* name, DISPID* id) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

// `arguments` are in call order (COM wants them reversed).
HRESULT invoke(IDispatch* object, DISPID id, WORD kind, std::initializer_list<VARIANT> arguments,
               VARIANT* result) {
    std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, result,
                          nullptr, nullptr);
}

HRESULT invokeByName(IDispatch* object, const wchar_t* name, WORD kind,
                     std::initializer_list<VARIANT> arguments, VARIANT* result) {
    DISPID id;
    const HRESULT found = dispatchId(object, name, &id);
    return FAILED(found) ? found : invoke(object, id, kind, arguments, result);
}

VARIANT bstrArgument(BSTR value) {
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = value;  // still owned by the caller's UniqueBstr
    return argument;
}

VARIANT boolArgument(bool value) {
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BOOL;
    argument.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return argument;
}

size_t workingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)
               ? counters.WorkingSetSize
               : 0;
}

constexpr LONG kReadyStateComplete = 4;
// The longest the wait sleeps between looks at the limits when no message comes.
constexpr DWORD kPollMilliseconds = 50;

}  // namespace

HRESULT XmlHttpObject::CreateDefault(IDispatch** instance) {
    CLSID classId;
    const HRESULT found = CLSIDFromProgID(L"Msxml2.XMLHTTP", &classId);
    if (FAILED(found)) return found;
    return CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(instance));
}

XmlHttpObject::XmlHttpObject(Creator creator, StopCheck stopped, FetchLimits limits)
    : creator_(std::move(creator)), stopped_(std::move(stopped)), limits_(limits) {}

XmlHttpObject::~XmlHttpObject() {
    instance_.reset();
    for (; comInitializations_ > 0; --comInitializations_) CoUninitialize();
}

void XmlHttpObject::renew() {
    // Every cycle, as a thread may have been left without COM by code it called.
    if (SUCCEEDED(CoInitialize(nullptr))) ++comInitializations_;
    ComPtr<IDispatch> fresh;
    if (SUCCEEDED(creator_(fresh.put())) && fresh) instance_ = std::move(fresh);
}

std::optional<std::string> XmlHttpObject::get(std::string_view address) {
    if (!instance_) return std::nullopt;
    const UniqueBstr method(L"GET");
    const UniqueBstr url(ToWide(address));
    if (FAILED(invokeByName(instance_.get(), L"open", DISPATCH_METHOD,
                            {bstrArgument(method.get()), bstrArgument(url.get()),
                             boolArgument(true)},
                            nullptr))) {
        return std::nullopt;
    }
    if (FAILED(invokeByName(instance_.get(), L"send", DISPATCH_METHOD, {}, nullptr))) {
        return std::nullopt;
    }
    if (!waitForResponse()) {
        invokeByName(instance_.get(), L"abort", DISPATCH_METHOD, {}, nullptr);
        return std::nullopt;
    }
    UniqueVariant body;
    if (FAILED(invokeByName(instance_.get(), L"responseBody", DISPATCH_PROPERTYGET, {},
                            body.get())) ||
        body.get()->vt != (VT_ARRAY | VT_UI1) || body.get()->parray == nullptr) {
        return std::nullopt;
    }
    SAFEARRAY* array = body.get()->parray;
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    void* data = nullptr;
    if (upper < lower || FAILED(SafeArrayAccessData(array, &data))) return std::string();
    const size_t size = std::min(static_cast<size_t>(upper - lower) + 1, fetch::kMaxBodySize);
    std::string bytes(static_cast<const char*>(data), size);
    SafeArrayUnaccessData(array);
    return bytes;
}

bool XmlHttpObject::waitForResponse() {
    const auto deadline = std::chrono::steady_clock::now() + limits_.time;
    const size_t memoryAtStart = workingSet();
    DISPID readyState;
    if (FAILED(dispatchId(instance_.get(), L"readyState", &readyState))) return false;
    for (;;) {
        UniqueVariant state;
        if (FAILED(invoke(instance_.get(), readyState, DISPATCH_PROPERTYGET, {}, state.get())) ||
            FAILED(VariantChangeType(state.get(), state.get(), 0, VT_I4))) {
            return false;
        }
        if (state.get()->lVal == kReadyStateComplete) return true;
        if (stopped_ && stopped_()) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        if (workingSet() > memoryAtStart + limits_.memoryGrowth) return false;
        // The object's progress arrives as messages to this thread.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMilliseconds, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace pagorin::platform
