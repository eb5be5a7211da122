// The engine for real under Wine: workers on their own threads fetching through the
// automation HTTP object from a server on 127.0.0.1, the real alarm box found, read and
// closed from the test, and stops while a box is open or a request hangs.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "adapters/win32/alarm_presenter.h"
#include "monitor/alarm.h"
#include "monitor/monitoring.h"
#include "program/page_readers.h"
#include "support/entry_rows.h"
#include "support/loopback_server.h"
#include "support/monitor_fakes.h"
#include "support/top_windows.h"
#include "support/wait_until.h"
#include "text/fixed_texts.h"
#include "win32/code_page.h"

namespace pagorin::monitor {
namespace {

using namespace std::chrono_literals;
using test_support::LoopbackServer;
using test_support::RecordedRequest;

using testing::FastSleeper;

struct AlarmBox {
    HWND window = nullptr;
    std::string text;
};

// The visible alarm box of this process, if one is open.
AlarmBox findAlarmBox() {
    const std::wstring caption = win32::ToWide(kAlarmCaption);
    const HWND window = test_support::TopWindowOf(GetCurrentProcessId(), [&](HWND candidate) {
        return IsWindowVisible(candidate) && test_support::TitleOf(candidate) == caption;
    });
    if (window == nullptr) return {};
    wchar_t text[1024] = {};
    GetDlgItemTextW(window, 0xFFFF, text, 1024);
    return {window, win32::FromWide(text)};
}

AlarmBox waitForAlarmBox(std::chrono::milliseconds timeout = 20s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (AlarmBox box = findAlarmBox(); box.window != nullptr) return box;
        Sleep(20);
    }
    return {};
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 20s) {
    return test_support::WaitUntil(condition, timeout);
}

class MonitoringWineTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.listening()); }
    ~MonitoringWineTest() override {
        releaseHeldRequests();
        monitoring.StopMonitoring();
        EXPECT_TRUE(monitoring.waitUntilWorkersEnd(60s));
    }
    void addRow(const std::string& path, const std::string& keywords) {
        test_support::AppendEntry(
            list, {.url = server.address(path), .keywords = keywords, .refresh = "1"});
    }
    void releaseHeldRequests() {
        std::lock_guard lock(holdMutex);
        released = true;
        holdChanged.notify_all();
    }

    // Pages by path; "/hold" keeps the request open until released.
    std::mutex holdMutex;
    std::condition_variable holdChanged;
    bool released = false;
    std::atomic<int> heldRequests{0};
    std::string declaredContentType;  // under holdMutex
    LoopbackServer server{[this](const RecordedRequest& request) {
        if (request.requestLine.find("/hold") != std::string::npos) {
            heldRequests.fetch_add(1);
            std::unique_lock lock(holdMutex);
            holdChanged.wait(lock, [this] { return released; });
            return LoopbackServer::Response(200, "OK", "", "sale sale");
        }
        if (request.requestLine.find("/declared") != std::string::npos) {
            // 降价 in UTF-8, declared (or not) only in the header, and cacheable for an hour.
            std::unique_lock lock(holdMutex);
            return LoopbackServer::Response(
                200, "OK",
                "Content-Type: " + declaredContentType + "\r\nCache-Control: max-age=3600\r\n",
                "<p>\xE9\x99\x8D\xE4\xBB\xB7</p>");
        }
        if (request.requestLine.find("/utf8") != std::string::npos) {
            // 降价 in UTF-8, declared in a content attribute.
            return LoopbackServer::Response(
                200, "OK", "Content-Type: text/html\r\n",
                "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                "\xE9\x99\x8D\xE4\xBB\xB7");
        }
        return LoopbackServer::Response(200, "OK", "Content-Type: text/html\r\n",
                                        "<p>big SALE today</p>");
    }};

    items::ItemList list;
    testing::WriteLog log{list};
    test_support::RecordedMessages messages;
    testing::FakeDisplay display;
    FastSleeper sleeper;
    program::Win32PageReaderFactory readers;
    adapters::Win32AlarmPresenter presenter;
    Monitoring monitoring{{list, messages, display, sleeper, readers, presenter}};
};

TEST_F(MonitoringWineTest, AFindRaisesTheRealAlarmAndClosingItMarksTheRow) {
    addRow("/page", "nothing|sale");
    monitoring.StartMonitoring();
    const AlarmBox box = waitForAlarmBox();
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.text, AlarmMessage(server.address("/page"), {"sale", "[\xBB\xF2]"}));
    // Until the box is closed the row is still being watched.
    EXPECT_EQ(list.cellText(0, items::kStatus), text::kMonitoring);
    EXPECT_EQ(list.cellText(0, items::kTargetFound), text::kNo);
    PostMessageW(box.window, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(waitUntil([&] { return list.cellText(0, items::kTargetFound) == text::kYes; }));
    ASSERT_TRUE(waitUntil([&] { return list.cellText(0, items::kStatus) == text::kStopped; }));
    EXPECT_TRUE(monitoring.waitUntilWorkersEnd(20s));
}

TEST_F(MonitoringWineTest, StopWhileTheBoxIsOpenTakesItDownAndLeavesTheRow) {
    addRow("/page", "sale");
    monitoring.StartMonitoring();
    ASSERT_NE(waitForAlarmBox().window, nullptr);
    monitoring.StopMonitoring();
    const size_t writesAtStop = log.size();
    EXPECT_TRUE(waitUntil([] { return findAlarmBox().window == nullptr; }, 5s));
    EXPECT_TRUE(monitoring.waitUntilWorkersEnd(10s));
    EXPECT_EQ(log.size(), writesAtStop);
    EXPECT_EQ(list.cellText(0, items::kStatus), text::kStopped);
    EXPECT_EQ(list.cellText(0, items::kTargetFound), text::kNo);
}

TEST_F(MonitoringWineTest, StopWhileTheServerHoldsTheRequest) {
    addRow("/hold", "sale");
    monitoring.StartMonitoring();
    ASSERT_TRUE(waitUntil([&] { return heldRequests.load() == 1; }));
    const auto before = std::chrono::steady_clock::now();
    monitoring.StopMonitoring();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    const size_t writesAtStop = log.size();
    EXPECT_EQ(list.cellText(0, items::kStatus), text::kStopped);
    // The transfer finishes in the background with a page that would be a find.
    releaseHeldRequests();
    EXPECT_TRUE(monitoring.waitUntilWorkersEnd(30s));
    EXPECT_EQ(findAlarmBox().window, nullptr);
    EXPECT_EQ(log.size(), writesAtStop);
    EXPECT_EQ(list.cellText(0, items::kTargetFound), text::kNo);
}

TEST_F(MonitoringWineTest, Utf8PagesAreFetchedAgainAndMatchedInGbk) {
    addRow("/utf8", "\xBD\xB5\xBC\xDB");  // 降价 in GBK
    monitoring.StartMonitoring();
    const AlarmBox box = waitForAlarmBox();
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.text, AlarmMessage(server.address("/utf8"), {"\xBD\xB5\xBC\xDB", "[\xBB\xF2]"}));
    PostMessageW(box.window, WM_COMMAND, IDOK, 0);
    // One request through the automation object, then two through the program's own
    // client: the converted page still says charset=utf-8 (but holds no 的).
    ASSERT_TRUE(waitUntil([&] { return list.cellText(0, items::kTargetFound) == text::kYes; }));
    EXPECT_EQ(server.requests().size(), 3u);
}

// The page's own request only: the program's own client sends a Referer.
bool fromTheAutomationObject(const RecordedRequest& request) {
    return test_support::HeaderValue(request.headerBlock, "Referer").empty();
}

// A charset named only in the Content-Type header: UTF-8 there makes the page UTF-8,
// anything else leaves it to the page. Every request of the automation object asks for a
// fresh copy, also of a page the server says may be cached for an hour.
TEST_F(MonitoringWineTest, Utf8DeclaredOnlyInTheHeader) {
    const struct {
        const char* contentType;
        bool utf8;
    } cases[] = {{"text/html; charset=utf-8", true},
                 {"text/html;charset=\"UTF-8\"", true},
                 {"text/html; charset=utf8", true},
                 {"text/html; charset=gbk", false},
                 {"text/html", false}};
    for (const auto& [contentType, utf8] : cases) {
        SCOPED_TRACE(contentType);
        {
            std::lock_guard lock(holdMutex);
            declaredContentType = contentType;
        }
        while (list.rowCount() > 0) list.deleteRow(0);
        addRow("/declared", "\xBD\xB5\xBC\xDB");  // 降价 in GBK
        const size_t before = server.requests().size();
        monitoring.StartMonitoring();
        if (utf8) {
            const AlarmBox box = waitForAlarmBox();
            ASSERT_NE(box.window, nullptr);
            PostMessageW(box.window, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(
                waitUntil([&] { return list.cellText(0, items::kTargetFound) == text::kYes; }));
            // The page, then one refetch: the converted text says no charset=utf-8.
            EXPECT_EQ(server.requests().size() - before, 2u);
        } else {
            ASSERT_TRUE(waitUntil([&] { return server.requests().size() - before >= 3; }));
            EXPECT_EQ(findAlarmBox().window, nullptr);
        }
        monitoring.StopMonitoring();
        ASSERT_TRUE(monitoring.waitUntilWorkersEnd(20s));
        const std::vector<RecordedRequest> requests = server.requests();
        const auto ours = std::count_if(requests.begin() + static_cast<std::ptrdiff_t>(before),
                                        requests.end(), fromTheAutomationObject);
        EXPECT_EQ(ours, utf8 ? 1 : static_cast<std::ptrdiff_t>(requests.size() - before));
        for (size_t i = before; i < requests.size(); ++i) {
            if (!fromTheAutomationObject(requests[i])) continue;
            const std::string& headers = requests[i].headerBlock;
            EXPECT_EQ(test_support::HeaderValue(headers, "If-Modified-Since"),
                      "Thu, 01 Jan 1970 00:00:00 GMT");
            EXPECT_EQ(test_support::HeaderValue(headers, "Cache-Control"), "no-cache");
            EXPECT_EQ(test_support::HeaderValue(headers, "Pragma"), "no-cache");
        }
    }
}

}  // namespace
}  // namespace pagorin::monitor
