// The worker's HTTP object: the late-bound calls each request makes, on which thread,
// and when its instance is released, checked on a scripted object.
#include "platform/win32/xml_http_object.h"

#include <gtest/gtest.h>

#include "support/wait_until.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pagorin::platform {
namespace {

// COM interfaces are released, never deleted through a base pointer.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// A scripted automation object: answers the six names and records every call. Its
// "send" may be held until the test lets it go, as a slow server would.
class ScriptedDispatch : public IDispatch {
  public:
    explicit ScriptedDispatch(std::string body) : body_(std::move(body)) {}

    std::atomic<ULONG> references{1};
    std::vector<std::wstring> calls;  // read once the request has ended
    std::wstring openedUrl;
    bool openedAsynchronously = true;
    bool failSend = false;
    std::wstring contentType = L"text/html; charset=utf-8";
    DWORD thread = 0;  // the thread that sent
    std::atomic<int> sends{0};

    void holdSend() { held_ = true; }
    void releaseSend() {
        std::lock_guard lock(mutex_);
        held_ = false;
        released_.notify_all();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* id) override {
        static const std::vector<std::wstring> known = {L"open", L"send", L"responseBody",
                                                        L"setRequestHeader", L"getResponseHeader"};
        const auto found = std::find(known.begin(), known.end(), names[0]);
        if (found == known.end()) return DISP_E_UNKNOWNNAME;
        *id = static_cast<DISPID>(found - known.begin()) + 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD kind, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        // Arguments come reversed: rgvarg[0] is the last.
        const auto argument = [&](UINT fromEnd) { return parameters->rgvarg[fromEnd]; };
        switch (id) {
            case 1:
                calls.push_back(L"open");
                if (kind != DISPATCH_METHOD || parameters->cArgs != 3) return E_INVALIDARG;
                if (std::wstring(argument(2).bstrVal) != L"GET") return E_INVALIDARG;
                openedUrl = argument(1).bstrVal;
                openedAsynchronously =
                    argument(0).vt != VT_BOOL || argument(0).boolVal != VARIANT_FALSE;
                return S_OK;
            case 2: {
                calls.push_back(L"send");
                thread = GetCurrentThreadId();
                ++sends;
                std::unique_lock lock(mutex_);
                released_.wait(lock, [&] { return !held_; });
                return failSend ? E_FAIL : (parameters->cArgs == 0 ? S_OK : E_INVALIDARG);
            }
            case 4:
                if (parameters->cArgs != 2) return E_INVALIDARG;
                calls.push_back(std::wstring(argument(1).bstrVal) + L": " + argument(0).bstrVal);
                return S_OK;
            case 5:
                calls.push_back(L"getResponseHeader " + std::wstring(argument(0).bstrVal));
                result->vt = VT_BSTR;
                result->bstrVal = SysAllocString(contentType.c_str());
                return S_OK;
            default:
                break;
        }
        calls.push_back(L"responseBody");
        if (kind != DISPATCH_PROPERTYGET) return E_INVALIDARG;
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(body_.size()));
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        std::memcpy(data, body_.data(), body_.size());
        SafeArrayUnaccessData(array);
        result->vt = VT_ARRAY | VT_UI1;
        result->parray = array;
        return S_OK;
    }

  private:
    std::string body_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool held_ = false;
};

XmlHttpObject::Creator handOut(ScriptedDispatch& object) {
    return [&object](IDispatch** instance) {
        object.AddRef();
        *instance = &object;
        return S_OK;
    };
}

// Each request: a new instance on the object's request thread, a synchronous GET asking
// for a fresh copy, the body and the Content-Type, and the instance released at its end.
TEST(XmlHttpObject, EachRequestIsASynchronousGetOnItsOwnInstanceAndThread) {
    ScriptedDispatch first(std::string("fir\0st", 6));
    ScriptedDispatch second("second");
    std::vector<ScriptedDispatch*> next = {&first, &second};
    bool failCreation = false;
    XmlHttpObject http([&](IDispatch** instance) -> HRESULT {
        if (failCreation || next.empty()) return E_FAIL;
        *instance = next.front();
        next.erase(next.begin());
        return S_OK;
    });
    const std::optional<fetch::HttpObjectResponse> answer = http.get("http://a/\xD6\xD0");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->body, std::string("fir\0st", 6));  // bytes as they are
    EXPECT_EQ(answer->contentType, "text/html; charset=utf-8");
    EXPECT_EQ(first.openedUrl, L"http://a/\x4E2D");  // GBK address widened with 936
    EXPECT_FALSE(first.openedAsynchronously);
    EXPECT_EQ(first.calls, (std::vector<std::wstring>{
                               L"open", L"If-Modified-Since: Thu, 01 Jan 1970 00:00:00 GMT",
                               L"Cache-Control: no-cache", L"Pragma: no-cache", L"send",
                               L"responseBody", L"getResponseHeader Content-Type"}));
    EXPECT_NE(first.thread, GetCurrentThreadId());
    EXPECT_EQ(first.references, 0u);

    failCreation = true;
    EXPECT_EQ(http.get("http://a/"), std::nullopt);
    failCreation = false;
    second.failSend = true;
    EXPECT_EQ(http.get("http://b/"), std::nullopt);
    EXPECT_EQ(second.references, 0u);
    EXPECT_EQ(second.thread, first.thread);  // one request thread for the object's life
}

// A request past its limit or the stop is given up but never aborted: its instance is
// released only when its request has ended, and the next request waits for that.
TEST(XmlHttpObject, GivenUpRequestsEndByThemselves) {
    ScriptedDispatch slow("late");
    std::atomic<bool> stop{false};
    XmlHttpObject http(
        handOut(slow), [&] { return stop.load(); }, FetchLimits{std::chrono::milliseconds(300)});
    slow.holdSend();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(http.get("http://a/"), std::nullopt);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
    EXPECT_EQ(slow.references, 2u);  // still held by its request

    // Still running through the next request's limit: that one is not made.
    EXPECT_EQ(http.get("http://a/"), std::nullopt);
    EXPECT_EQ(slow.references, 2u);

    slow.releaseSend();
    EXPECT_TRUE(
        test_support::WaitUntil([&] { return slow.references == 1; }, std::chrono::seconds(10)));
    EXPECT_EQ(slow.sends, 1);
    EXPECT_EQ(http.get("http://a/")->body, "late");

    slow.holdSend();
    stop = true;
    const auto stopped = std::chrono::steady_clock::now();
    EXPECT_EQ(http.get("http://a/"), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(2));
    // The request left behind at the stop is let go once it has reached the object.
    EXPECT_TRUE(test_support::WaitUntil([&] { return slow.sends == 3; }, std::chrono::seconds(10)));
    slow.releaseSend();
    EXPECT_TRUE(
        test_support::WaitUntil([&] { return slow.references == 1; }, std::chrono::seconds(10)));
}

TEST(XmlHttpObject, BodyIsCutAt64MiB) {
    ScriptedDispatch object(std::string(fetch::kMaxBodySize + 10, 'b'));
    XmlHttpObject http(handOut(object));
    const std::optional<fetch::HttpObjectResponse> answer = http.get("http://a/");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->body.size(), fetch::kMaxBodySize);
}

TEST(XmlHttpObject, RealObjectRejectsAnEmptyAddress) {
    XmlHttpObject http;
    EXPECT_EQ(http.get(""), std::nullopt);
}

}  // namespace
}  // namespace pagorin::platform
