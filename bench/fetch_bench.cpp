// Fetching one large page from a server on loopback: the page fetch through the
// automation HTTP object, and the program's own client, each the best of several runs,
// beside the platform's floor measured in the same run: the same object's GET made
// with bare COM calls on this thread, a bare WinInet loop reading 64 KiB at a time, and
// the client's own WinInet calls made bare.
// Prints "name milliseconds" lines for the benchmark script.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "fetch/http_request.h"
#include "fetch/page_fetch.h"
#include "fetch/url_cookie.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/wininet_api.h"
#include "platform/win32/xml_http_object.h"

namespace {

double milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The automation object's GET exactly as the program makes it, with nothing around it:
// a new instance, a synchronous open, the three fresh-copy headers, send, the body and
// the Content-Type header, release. Returns the body's size.
size_t bareAutomationGet(const std::wstring& address) {
    CLSID classId;
    IDispatch* object = nullptr;
    if (FAILED(CLSIDFromProgID(L"Msxml2.XMLHTTP", &classId)) ||
        FAILED(CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&object)))) {
        return 0;
    }
    auto call = [object](const wchar_t* name, WORD kind, std::vector<VARIANT> arguments,
                         VARIANT* result) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id;
        object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        DISPPARAMS parameters{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, result, nullptr,
                       nullptr);
    };
    auto text = [](const wchar_t* value) {
        VARIANT variant;
        VariantInit(&variant);
        variant.vt = VT_BSTR;
        variant.bstrVal = SysAllocString(value);
        return variant;
    };
    VARIANT async;
    VariantInit(&async);
    async.vt = VT_BOOL;
    async.boolVal = VARIANT_FALSE;
    std::vector<VARIANT> open = {async, text(address.c_str()), text(L"GET")};  // reversed
    call(L"open", DISPATCH_METHOD, open, nullptr);
    const wchar_t* headers[][2] = {{L"If-Modified-Since", L"Thu, 01 Jan 1970 00:00:00 GMT"},
                                   {L"Cache-Control", L"no-cache"},
                                   {L"Pragma", L"no-cache"}};
    for (const auto& [name, value] : headers) {
        std::vector<VARIANT> header = {text(value), text(name)};
        call(L"setRequestHeader", DISPATCH_METHOD, header, nullptr);
        for (VARIANT& argument : header) VariantClear(&argument);
    }
    call(L"send", DISPATCH_METHOD, {}, nullptr);
    VARIANT body;
    VariantInit(&body);
    call(L"responseBody", DISPATCH_PROPERTYGET, {}, &body);
    size_t size = 0;
    if (body.vt == (VT_ARRAY | VT_UI1) && body.parray != nullptr) {
        LONG lower = 0;
        LONG upper = -1;
        SafeArrayGetLBound(body.parray, 1, &lower);
        SafeArrayGetUBound(body.parray, 1, &upper);
        size = static_cast<size_t>(upper - lower + 1);
    }
    VARIANT type;
    VariantInit(&type);
    std::vector<VARIANT> name = {text(L"Content-Type")};
    call(L"getResponseHeader", DISPATCH_METHOD, name, &type);
    VariantClear(&name[0]);
    VariantClear(&type);
    VariantClear(&body);
    VariantClear(&open[1]);
    VariantClear(&open[2]);
    object->Release();
    return size;
}

// A plain WinInet GET with `flags`, reading 64 KiB at a time. Returns the body's size.
size_t bareWinInetGet(const std::string& address, DWORD flags) {
    HINTERNET internet = InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (internet == nullptr) return 0;
    HINTERNET request = InternetOpenUrlA(internet, address.c_str(), nullptr, 0, flags, 0);
    size_t size = 0;
    if (request != nullptr) {
        std::vector<char> buffer(64 * 1024);
        DWORD read = 0;
        while (InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read) &&
               read > 0) {
            size += read;
        }
        InternetCloseHandle(request);
    }
    InternetCloseHandle(internet);
    return size;
}

// The client's own calls with nothing around them: a connection, a GET request with the
// client's flags, a send without headers, 64 KiB reads appended to the body a caller
// needs. Returns the body's size.
size_t bareSameCallsGet(const std::string& host, INTERNET_PORT port, const std::string& path) {
    HINTERNET internet = InternetOpenA("bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (internet == nullptr) return 0;
    size_t size = 0;
    HINTERNET connection = InternetConnectA(internet, host.c_str(), port, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0);
    if (connection != nullptr) {
        HINTERNET request = HttpOpenRequestA(
            connection, "GET", path.c_str(), "HTTP/1.1", nullptr, nullptr,
            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS,
            0);
        if (request != nullptr && HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
            std::vector<char> buffer(64 * 1024);
            std::string body;
            DWORD read = 0;
            while (InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()),
                                    &read) &&
                   read > 0) {
                body.append(buffer.data(), read);
            }
            size = body.size();
        }
        if (request != nullptr) InternetCloseHandle(request);
        InternetCloseHandle(connection);
    }
    InternetCloseHandle(internet);
    return size;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace pagorin;
    if (argc < 3) {
        std::fprintf(stderr, "usage: fetch_bench ADDRESS EXPECTED_BYTES\n");
        return 2;
    }
    const std::string address = argv[1];
    const size_t expected = std::stoul(argv[2]);
    platform::XmlHttpObject http;
    const fetch::PageFetchServices services{
        [](std::string_view url) {
            return fetch::HttpGetText(platform::SystemInternetApi(), fetch::Text(url));
        },
        [](std::string_view utf8) { return platform::Utf8ToGbk(utf8); },
    };
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for the bare object's GET
    const std::wstring wideAddress(address.begin(), address.end());
    // The client connects, opens and sends, with flags that ask for a cache file: the same
    // calls made bare are the floor of what the platform does for that sequence.
    const std::string host = fetch::UrlHost(address, false);
    const auto port = static_cast<INTERNET_PORT>(fetch::UrlPort(address));
    const std::string path = fetch::UrlPath(address);
    size_t fetchedSize = 0, clientSize = 0, bareObjectSize = 0, bareWinInetSize = 0,
           bareSameCallsSize = 0;
    const std::function<void()> works[] = {
        [&] { fetchedSize = fetch::FetchPageText(address, http, services).size(); },
        [&] { clientSize = fetch::HttpGetText(platform::SystemInternetApi(), address).size(); },
        [&] { bareObjectSize = bareAutomationGet(wideAddress); },
        [&] {
            bareWinInetSize =
                bareWinInetGet(address, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE);
        },
        [&] { bareSameCallsSize = bareSameCallsGet(host, port, path); },
    };
    // Round by round, each GET once, so a drift in the machine or in the platform's cache
    // over the run weighs on every row alike.
    double best[std::size(works)];
    std::fill(std::begin(best), std::end(best), 1e300);
    for (int round = 0; round < 10; ++round) {
        for (size_t work = 0; work < std::size(works); ++work) {
            best[work] = std::min(best[work], milliseconds(works[work]));
        }
    }
    CoUninitialize();
    const double pageFetch = best[0], client = best[1], bareObject = best[2], bareWinInet = best[3],
                 bareSameCalls = best[4];
    for (size_t size :
         {fetchedSize, clientSize, bareObjectSize, bareWinInetSize, bareSameCallsSize}) {
        if (size != expected) {
            std::fprintf(stderr, "fetched %zu bytes, expected %zu\n", size, expected);
            return 1;
        }
    }
    std::printf(
        "FetchPageText %.2f %.2f\nHttpGetText %.2f %.2f\nHttpGetText-same-calls %.2f %.2f\n",
        pageFetch, bareObject, client, bareWinInet, client, bareSameCalls);
    return 0;
}
