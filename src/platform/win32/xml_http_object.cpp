// Late-bound calls "open", "setRequestHeader", "send", "responseBody" and
// "getResponseHeader" on the HTTP object, on the request's own thread.
#include "platform/win32/xml_http_object.h"

#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/com_ptr.h"
#include "platform/win32/wide_text.h"

namespace pagorin::platform {
namespace {

// `arguments` are in call order (COM wants them reversed).
HRESULT invokeByName(IDispatch* object, const wchar_t* name, WORD kind,
                     std::initializer_list<VARIANT> arguments, VARIANT* result) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id;
    const HRESULT found = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(found)) return found;
    std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, result, nullptr,
                          nullptr);
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

// On Windows the object answers from the Internet cache while a cached copy looks fresh;
// a monitor must see the page as it is now. A date in the distant past makes every
// cached copy stale.
constexpr const wchar_t* kFreshCopyHeaders[][2] = {
    {L"If-Modified-Since", L"Thu, 01 Jan 1970 00:00:00 GMT"},
    {L"Cache-Control", L"no-cache"},
    {L"Pragma", L"no-cache"},
};

bool setRequestHeader(IDispatch* instance, const wchar_t* name, const wchar_t* value) {
    const UniqueBstr header(name);
    const UniqueBstr content(value);
    return SUCCEEDED(invokeByName(instance, L"setRequestHeader", DISPATCH_METHOD,
                                  {bstrArgument(header.get()), bstrArgument(content.get())},
                                  nullptr));
}

std::string responseBody(IDispatch* instance) {
    UniqueVariant body;
    if (FAILED(invokeByName(instance, L"responseBody", DISPATCH_PROPERTYGET, {}, body.get())) ||
        body.get()->vt != (VT_ARRAY | VT_UI1) || body.get()->parray == nullptr) {
        return {};
    }
    SAFEARRAY* array = body.get()->parray;
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    void* data = nullptr;
    if (upper < lower || FAILED(SafeArrayAccessData(array, &data))) return {};
    const size_t size = std::min(static_cast<size_t>(upper - lower) + 1, fetch::kMaxBodySize);
    std::string bytes(static_cast<const char*>(data), size);
    SafeArrayUnaccessData(array);
    return bytes;
}

// Empty when there is no such header or the call fails.
std::string contentType(IDispatch* instance) {
    const UniqueBstr name(L"Content-Type");
    UniqueVariant value;
    if (FAILED(invokeByName(instance, L"getResponseHeader", DISPATCH_METHOD,
                            {bstrArgument(name.get())}, value.get())) ||
        value.get()->vt != VT_BSTR || value.get()->bstrVal == nullptr) {
        return {};
    }
    return FromWide(value.get()->bstrVal);
}

std::optional<fetch::HttpObjectResponse> synchronousGet(IDispatch* instance,
                                                        const std::wstring& address) {
    const UniqueBstr method(L"GET");
    const UniqueBstr url(address);
    if (FAILED(invokeByName(
            instance, L"open", DISPATCH_METHOD,
            {bstrArgument(method.get()), bstrArgument(url.get()), boolArgument(false)}, nullptr))) {
        return std::nullopt;
    }
    for (const auto& [name, value] : kFreshCopyHeaders) setRequestHeader(instance, name, value);
    // Returns when the whole answer is there or the request has failed: either way the
    // object's request has ended.
    if (FAILED(invokeByName(instance, L"send", DISPATCH_METHOD, {}, nullptr))) {
        return std::nullopt;
    }
    return fetch::HttpObjectResponse{responseBody(instance), contentType(instance)};
}

// One request on the request thread: a new instance, released once its request has ended.
std::optional<fetch::HttpObjectResponse> requestOnThisThread(const XmlHttpObject::Creator& creator,
                                                             const std::wstring& address) {
    ComPtr<IDispatch> instance;
    if (FAILED(creator(instance.put())) || !instance) return std::nullopt;
    return synchronousGet(instance.get(), address);
}

// The request thread is a single-threaded apartment of its own.
const fetch::CallThreadSetup kApartment{
    [] { return SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); },
    [] { CoUninitialize(); },
};

}  // namespace

HRESULT XmlHttpObject::CreateDefault(IDispatch** instance) {
    CLSID classId;
    const HRESULT found = CLSIDFromProgID(L"Msxml2.XMLHTTP", &classId);
    if (FAILED(found)) return found;
    return CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(instance));
}

XmlHttpObject::XmlHttpObject(Creator creator, StopCheck stopped, FetchLimits limits)
    : creator_(std::move(creator)),
      stopped_(std::move(stopped)),
      limits_(limits),
      requests_(limits.time, kApartment) {}

std::optional<fetch::HttpObjectResponse> XmlHttpObject::get(std::string_view address) {
    const size_t memoryAtStart = workingSet();
    const auto givenUp = [&] {
        return (stopped_ && stopped_()) || workingSet() > memoryAtStart + limits_.memoryGrowth;
    };
    return requests_
        .run([creator = creator_,
              url = ToWide(address)] { return requestOnThisThread(creator, url); },
             givenUp)
        .value_or(std::nullopt);
}

}  // namespace pagorin::platform
