// Late-bound calls "open", "send" and the property "responseBody" on the HTTP object.
#include "platform/win32/xml_http_object.h"

#include <objbase.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

namespace pagorin::platform {
namespace {

HRESULT createXmlHttp(IDispatch** instance) {
    CLSID classId;
    const HRESULT found = CLSIDFromProgID(L"Msxml2.XMLHTTP", &classId);
    if (FAILED(found)) return found;
    return CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(instance));
}

// Invokes a member by name. `arguments` are in call order (COM wants them reversed).
HRESULT invokeByName(IDispatch* object, const wchar_t* name, WORD kind,
                     std::initializer_list<VARIANT> arguments, VARIANT* result) {
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, result,
                          nullptr, nullptr);
}

VARIANT bstrArgument(BSTR value) {
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = value;  // still owned by the caller's UniqueBstr
    return argument;
}

}  // namespace

XmlHttpObject::XmlHttpObject() : creator_(createXmlHttp) {}

XmlHttpObject::XmlHttpObject(Creator creator) : creator_(std::move(creator)) {}

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
    VARIANT synchronous;
    VariantInit(&synchronous);
    synchronous.vt = VT_BOOL;
    synchronous.boolVal = VARIANT_FALSE;
    if (FAILED(invokeByName(instance_.get(), L"open", DISPATCH_METHOD,
                            {bstrArgument(method.get()), bstrArgument(url.get()), synchronous},
                            nullptr))) {
        return std::nullopt;
    }
    if (FAILED(invokeByName(instance_.get(), L"send", DISPATCH_METHOD, {}, nullptr))) {
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
    std::string bytes(static_cast<const char*>(data), static_cast<size_t>(upper - lower + 1));
    SafeArrayUnaccessData(array);
    return bytes;
}

}  // namespace pagorin::platform
