// The worker's HTTP object: instances replaced each cycle, kept when creation fails,
// released exactly once; the late-bound calls it makes, checked on a scripted object.
#include "platform/win32/xml_http_object.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace pagorin::platform {
namespace {

// COM interfaces are released, never deleted through a base pointer.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// A scripted automation object: answers the five names and records every call except
// the polls of "readyState", which counts down `pollsBeforeComplete`.
class ScriptedDispatch : public IDispatch {
public:
    explicit ScriptedDispatch(std::string body) : body_(std::move(body)) {}

    ULONG references = 1;
    std::vector<std::wstring> calls;
    std::wstring openedUrl;
    bool openedAsynchronously = false;
    bool failSend = false;
    int pollsBeforeComplete = 0;  // negative: the response never completes
    int polls = 0;

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
        const std::wstring name = names[0];
        if (name == L"open") *id = 1;
        else if (name == L"send") *id = 2;
        else if (name == L"responseBody") *id = 3;
        else if (name == L"readyState") *id = 4;
        else if (name == L"abort") *id = 5;
        else return DISP_E_UNKNOWNNAME;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD kind, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id == 1) {
            calls.push_back(L"open");
            if (kind != DISPATCH_METHOD || parameters->cArgs != 3) return E_INVALIDARG;
            // Reversed: rgvarg[2] is the method, [1] the address, [0] the async flag.
            if (std::wstring(parameters->rgvarg[2].bstrVal) != L"GET") return E_INVALIDARG;
            openedUrl = parameters->rgvarg[1].bstrVal;
            openedAsynchronously = parameters->rgvarg[0].vt == VT_BOOL &&
                                   parameters->rgvarg[0].boolVal == VARIANT_TRUE;
            return S_OK;
        }
        if (id == 2) {
            calls.push_back(L"send");
            polls = 0;
            return failSend ? E_FAIL : (parameters->cArgs == 0 ? S_OK : E_INVALIDARG);
        }
        if (id == 4) {
            if (kind != DISPATCH_PROPERTYGET) return E_INVALIDARG;
            result->vt = VT_I4;  // 1 loading, 4 complete
            result->lVal = pollsBeforeComplete >= 0 && polls++ >= pollsBeforeComplete ? 4 : 1;
            return S_OK;
        }
        if (id == 5) {
            calls.push_back(L"abort");
            return S_OK;
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
};

TEST(XmlHttpObject, EachRenewalReplacesTheInstance) {
    ScriptedDispatch first("first");
    ScriptedDispatch second(std::string("sec\0ond", 7));
    std::vector<ScriptedDispatch*> next = {&first, &second};
    bool failCreation = false;
    {
        XmlHttpObject http([&](IDispatch** instance) -> HRESULT {
            if (failCreation || next.empty()) return E_FAIL;
            *instance = next.front();
            next.erase(next.begin());
            return S_OK;
        });
        EXPECT_EQ(http.get("http://a/"), std::nullopt);  // no instance yet
        http.renew();
        EXPECT_EQ(http.get("http://a/\xD6\xD0"), "first");
        EXPECT_EQ(first.openedUrl, L"http://a/\x4E2D");  // GBK address widened with 936
        EXPECT_TRUE(first.openedAsynchronously);
        EXPECT_EQ(first.calls, (std::vector<std::wstring>{L"open", L"send", L"responseBody"}));

        failCreation = true;
        http.renew();  // creation fails: the first instance stays in use
        EXPECT_EQ(http.instance(), &first);
        EXPECT_EQ(http.get("http://a/"), "first");

        failCreation = false;
        http.renew();
        EXPECT_EQ(first.references, 0u);  // released when replaced
        EXPECT_EQ(http.get("http://b/"), std::string("sec\0ond", 7));  // bytes as they are
        second.failSend = true;
        EXPECT_EQ(http.get("http://b/"), std::nullopt);
    }
    EXPECT_EQ(second.references, 0u);  // released when the worker's object ends
}

// A request that does not complete is aborted at the stop or at the time limit, and the
// object serves the next request; a complete one is waited for however many polls.
TEST(XmlHttpObject, RequestsEndAtTheStopOrTheTimeLimit) {
    ScriptedDispatch object("page");
    bool stop = false;
    XmlHttpObject http(
        [&](IDispatch** instance) {
            object.AddRef();
            *instance = &object;
            return S_OK;
        },
        [&] { return stop; }, FetchLimits{std::chrono::milliseconds(300)});
    http.renew();
    object.pollsBeforeComplete = 3;
    EXPECT_EQ(http.get("http://a/"), "page");
    EXPECT_EQ(object.polls, 4);

    object.pollsBeforeComplete = -1;
    object.calls.clear();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(http.get("http://a/"), std::nullopt);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, std::chrono::milliseconds(300));
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_EQ(object.calls, (std::vector<std::wstring>{L"open", L"send", L"abort"}));

    stop = true;
    object.calls.clear();
    EXPECT_EQ(http.get("http://a/"), std::nullopt);
    EXPECT_EQ(object.calls, (std::vector<std::wstring>{L"open", L"send", L"abort"}));
    EXPECT_LE(object.polls, 1);
}

TEST(XmlHttpObject, BodyIsCutAt64MiB) {
    ScriptedDispatch object(std::string(fetch::kMaxBodySize + 10, 'b'));
    XmlHttpObject http([&](IDispatch** instance) {
        object.AddRef();
        *instance = &object;
        return S_OK;
    });
    http.renew();
    const std::optional<std::string> body = http.get("http://a/");
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(body->size(), fetch::kMaxBodySize);
}

TEST(XmlHttpObject, RealObjectRejectsAnEmptyAddress) {
    XmlHttpObject http;
    http.renew();
    ASSERT_TRUE(http.hasInstance());
    EXPECT_EQ(http.get(""), std::nullopt);
}

}  // namespace
}  // namespace pagorin::platform
