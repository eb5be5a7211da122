// Servers that misbehave on purpose, against the program's own client, the page request
// and a running worker: every call must come back with a defined result, a request must
// end by itself, a hanging one must not hold a stop or the next request, and a body that
// never ends must not take all memory.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <windows.h>

#include <psapi.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>

#include "adapters/win32/alarm_presenter.h"
#include "adapters/win32/wininet_api.h"
#include "fetch/http_request.h"
#include "fetch/page_fetch.h"
#include "fetch/page_request.h"
#include "monitor/alarm.h"
#include "monitor/monitoring.h"
#include "program/page_readers.h"
#include "support/monitor_fakes.h"
#include "support/raw_server.h"
#include "support/top_windows.h"
#include "support/wait_until.h"
#include "text/fixed_texts.h"
#include "threads/background_thread.h"
#include "threads/time_limited_call.h"
#include "win32/code_page.h"

namespace pagorin {
namespace {

using namespace std::chrono_literals;
using test_support::RawServer;
using test_support::SendAll;
using Stopping = const std::atomic<bool>&;

// Runs `call` on a thread of its own, which is left behind if it never ends, so a hang
// fails the case instead of the whole program.
template <typename Result>
class OnItsOwnThread {
  public:
    template <typename Call>
    explicit OnItsOwnThread(Call call) : state_(std::make_shared<State>()) {
        const bool started =
            threads::StartBackgroundThread([state = state_, call = std::move(call)] {
                Result result = call();
                std::lock_guard lock(state->mutex);
                state->result = std::move(result);
                state->done.notify_all();
            });
        if (!started) ADD_FAILURE() << "no thread for the call";
    }
    std::optional<Result> waitFor(std::chrono::milliseconds limit) {
        std::unique_lock lock(state_->mutex);
        state_->done.wait_for(lock, limit, [&] { return state_->result.has_value(); });
        return state_->result;
    }

  private:
    struct State {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Result> result;
    };
    std::shared_ptr<State> state_;
};
template <typename Call>
OnItsOwnThread(Call) -> OnItsOwnThread<std::invoke_result_t<Call>>;

void pause(std::chrono::milliseconds duration, Stopping stopping) {
    for (auto end = std::chrono::steady_clock::now() + duration;
         !stopping && std::chrono::steady_clock::now() < end;) {
        Sleep(20);
    }
}

std::string answer(std::string_view headers, std::string_view body) {
    return "HTTP/1.1 200 OK\r\nConnection: close\r\n" + std::string(headers) + "\r\n" +
           std::string(body);
}

const std::string kBinary(
    "ab\x01\xFF\x80\x7F"
    "c\0AFTERNUL",
    16);
const std::string kGarbage = "\x01\x02\x03 no status line here \xFE\xFF\r\n\r\n";

// Sends a header block, then blocks of "x" until the peer closes, the server stops or
// `cap` bytes are out; counts what it sent.
struct EndlessBody {
    size_t cap;
    std::shared_ptr<std::atomic<size_t>> sent = std::make_shared<std::atomic<size_t>>(0);
    void operator()(SOCKET client, Stopping stopping) const {
        if (!SendAll(client, answer("Content-Type: text/html\r\n", ""), stopping)) return;
        const std::string block(size_t{1} << 16, 'x');
        while (*sent < cap && SendAll(client, block, stopping)) *sent += block.size();
    }
};

struct Hostile {
    const char* name;
    // What to do after the request head has been read.
    std::function<void(SOCKET, Stopping)> behaviour;
    bool ends;  // false: only the server's stop ends the own client's exchange
    // The results a client may give: the bytes before the first NUL, or nothing.
    std::vector<std::string> results;
    // Besides those: any beginning (1) or end (-1) of the last one will do.
    int partial = 0;
    // False: the page request too waits on the server, which sends its header lines a
    // byte at a time; no time-out sees a wait longer than its own.
    bool requestEndsByItself = true;
};

std::vector<Hostile> hostiles() {
    const std::string filler = "X-Filler: " + std::string(990, 'h') + "\r\n";
    std::string hugeHeaders;
    for (int i = 0; i < 100; ++i) hugeHeaders += filler;
    return {
        {"Silent",
         [](SOCKET s, Stopping stop) { test_support::WaitForPeerOrStop(s, stop); },
         false,
         {""}},
        {"Trickle",
         [](SOCKET s, Stopping stop) {
             const std::string head = answer("Content-Length: 100000\r\n", "");
             for (size_t i = 0; !stop; ++i) {
                 const char byte = i < head.size() ? head[i] : 't';
                 if (!SendAll(s, {&byte, 1}, stop)) return;
                 pause(1s, stop);
             }
         },
         false,
         {""},
         0,
         false},
        {"HugeHeaders",
         [hugeHeaders](SOCKET s, Stopping stop) {
             SendAll(s, answer(hugeHeaders + "Content-Length: 5\r\n", "hello"), stop);
         },
         true,
         {"", "hello"}},
        {"ShortBody",
         [](SOCKET s, Stopping stop) {
             SendAll(s, answer("Content-Length: 1000\r\n", "partial"), stop);
         },
         true,
         {"", "partial"}},
        {"ResetMidBody",
         [](SOCKET s, Stopping stop) {
             if (!SendAll(s, answer("Content-Length: 100000\r\n", std::string(50000, 'r')), stop))
                 return;
             Sleep(200);  // lets the bytes leave before the reset
             const linger abortive{1, 0};
             setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive),
                        sizeof abortive);
         },
         true,
         {"", std::string(50000, 'r')},
         1},
        // The client may take the first line for a status line and return the rest.
        {"Garbage",
         [](SOCKET s, Stopping stop) { SendAll(s, kGarbage, stop); },
         true,
         {"", kGarbage},
         -1},
        {"RedirectLoop",
         [](SOCKET s, Stopping stop) {
             SendAll(s,
                     "HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 0\r\n"
                     "Connection: close\r\n\r\n",
                     stop);
         },
         // Wine's Internet calls follow it without end; only the server's stop ends it.
         false,
         {""}},
        {"BinaryAndNul",
         [](SOCKET s, Stopping stop) {
             SendAll(s,
                     answer("Content-Length: " + std::to_string(kBinary.size()) + "\r\n", kBinary),
                     stop);
         },
         true,
         {kBinary.substr(0, kBinary.find('\0'))}},
        {"EmptyBody",
         [](SOCKET s, Stopping stop) { SendAll(s, answer("Content-Length: 0\r\n", ""), stop); },
         true,
         {""}},
        {"BadGzip",
         [](SOCKET s, Stopping stop) {
             SendAll(s, answer("Content-Encoding: gzip\r\nContent-Length: 12\r\n", "not gzip!!!!"),
                     stop);
         },
         true,
         {"", "not gzip!!!!"}},
    };
}

// A RawServer that reads each request's head, counts the requests for "/start" (one
// per fetch cycle, redirects aside) and then runs the case's behaviour.
struct HostileServer {
    explicit HostileServer(std::function<void(SOCKET, Stopping)> behaviour)
        : server([this, behaviour = std::move(behaviour)](SOCKET s, Stopping stop) {
              const std::string head = test_support::ReadRequestHead(s, stop);
              if (head.empty()) return;
              if (head.starts_with("GET /start")) ++starts;
              behaviour(s, stop);
          }) {}
    std::atomic<int> starts{0};
    RawServer server;
};

std::string describe(const std::optional<std::string>& result) {
    if (!result) return "(still running)";
    return std::to_string(result->size()) + " bytes \"" + result->substr(0, 24) + "\"";
}

size_t peakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

TEST(HostileServer, OwnClientReturnsADefinedResult) {
    for (const Hostile& hostile : hostiles()) {
        SCOPED_TRACE(hostile.name);
        HostileServer server(hostile.behaviour);
        ASSERT_TRUE(server.server.listening());
        const std::string address = server.server.address("/start");
        const auto started = std::chrono::steady_clock::now();
        OnItsOwnThread call(
            [address] { return fetch::HttpGetText(adapters::SystemInternetApi(), address); });
        std::optional<std::string> result;
        if (hostile.ends) {
            result = call.waitFor(30s);
        } else {
            // Hanging is allowed; the server's stop must end it.
            call.waitFor(1500ms);
            server.server.stop();
            result = call.waitFor(30s);
        }
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - started);
        std::cout << hostile.name << ": " << describe(result) << " in " << took.count() << " ms, "
                  << server.server.connections() << " connections\n";
        ASSERT_TRUE(result.has_value());
        const bool listed = std::find(hostile.results.begin(), hostile.results.end(), *result) !=
                            hostile.results.end();
        const std::string& last = hostile.results.back();
        EXPECT_TRUE(listed || (hostile.partial > 0 && last.starts_with(*result)) ||
                    (hostile.partial < 0 && last.ends_with(*result)))
            << describe(result);
    }
}

TEST(HostileServer, OwnClientCutsAnEndlessBodyAt64MiB) {
    const EndlessBody endless{size_t{1} << 30};
    HostileServer server(endless);
    const std::string address = server.server.address("/start");
    const auto started = std::chrono::steady_clock::now();
    const std::optional<std::string> result =
        OnItsOwnThread([address] {
            return fetch::HttpGetText(adapters::SystemInternetApi(), address);
        }).waitFor(60s);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    std::cout << "endless body: " << describe(result) << " in " << took.count() << " ms, "
              << *endless.sent / 1048576 << " MiB sent, peak working set "
              << peakWorkingSet() / 1048576 << " MiB\n";
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->size(), fetch::kMaxBodySize);
    EXPECT_LT(peakWorkingSet(), fetch::kMaxBodySize * 4);
}

// A short limit, so that the cases that end only at the limit end within a test.
constexpr std::chrono::milliseconds kTestLimit{3000};

std::optional<std::string> pageRequest(const std::string& address) {
    const std::optional<fetch::PageResponse> answer =
        fetch::RequestPage(adapters::SystemInternetApi(), address, {kTestLimit, {}});
    return answer ? std::optional(answer->body) : std::nullopt;
}

// Every case ends by itself, a hanging one within twice the limit, with one of the case's
// results or none.
TEST(HostileServer, PageRequestEndsByItselfInEveryCase) {
    for (const Hostile& hostile : hostiles()) {
        SCOPED_TRACE(hostile.name);
        HostileServer server(hostile.behaviour);
        const std::string address = server.server.address("/start");
        const auto started = std::chrono::steady_clock::now();
        OnItsOwnThread call([address] { return pageRequest(address); });
        std::optional<std::optional<std::string>> result;
        if (hostile.requestEndsByItself) {
            result = call.waitFor(kTestLimit * 2 + 2s);
        } else {
            call.waitFor(1500ms);
            server.server.stop();
            result = call.waitFor(30s);
        }
        const auto took = std::chrono::steady_clock::now() - started;
        std::cout << hostile.name << ": "
                  << (result ? (*result ? describe(*result) : "nothing") : "(still running)")
                  << " in " << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
                  << " ms, " << server.server.connections() << " connections\n";
        ASSERT_TRUE(result.has_value());
        if (!result->has_value()) continue;
        const std::string page = result->value().substr(0, result->value().find('\0'));
        const std::string& last = hostile.results.back();
        EXPECT_TRUE(std::find(hostile.results.begin(), hostile.results.end(), page) !=
                        hostile.results.end() ||
                    (hostile.partial > 0 && last.starts_with(page)) ||
                    (hostile.partial < 0 && last.ends_with(page)))
            << describe(page);
    }
}

// The alarm box of this process, if one is open.
bool alarmBoxOpen() {
    const std::wstring caption = win32::ToWide(monitor::kAlarmCaption);
    return test_support::TopWindowOf(GetCurrentProcessId(), [&](HWND window) {
               return test_support::TitleOf(window) == caption;
           }) != nullptr;
}

using monitor::testing::FastSleeper;
using test_support::WaitUntil;

// One entry, refreshed without pause, watched by the engine with the platform's real
// page reader (test limits) and alarm; every cell write is logged.
struct WatchedEntry {
    WatchedEntry(const std::string& address, std::string_view keywords) {
        list.appendRow("1");
        const std::vector<std::pair<int32_t, std::string_view>> cells = {
            {items::kStatus, text::kStopped}, {items::kUrl, address},
            {items::kKeywords, keywords},     {items::kSoundAlarm, text::kNo},
            {items::kRefreshMinutes, "0"},    {items::kMatchMode, text::kModeAny},
            {items::kTargetFound, text::kNo}};
        for (const auto& [column, value] : cells) list.setCellText(0, column, value);
        setupWrites = log.size();
    }
    items::ItemList list;
    monitor::testing::WriteLog log{list};
    test_support::RecordedMessages messages;
    monitor::testing::FakeDisplay display;
    FastSleeper sleeper;
    program::Win32PageReaderFactory readers{kTestLimit};
    adapters::Win32AlarmPresenter presenter;
    monitor::Monitoring monitoring{{list, messages, display, sleeper, readers, presenter}};
    size_t setupWrites = 0;
};

TEST(HostileServer, WorkerCarriesOnAndStopsAtOnce) {
    for (const Hostile& hostile : hostiles()) {
        SCOPED_TRACE(hostile.name);
        HostileServer server(hostile.behaviour);
        // "AFTERNUL": a find only if the NUL were passed over.
        WatchedEntry entry(server.server.address("/start"), "AFTERNUL");
        auto& list = entry.list;
        auto& log = entry.log;
        auto& monitoring = entry.monitoring;

        monitoring.StartMonitoring();
        // Every case is followed by the next cycle, a hanging one after the time limit;
        // a request given up never holds up the next.
        EXPECT_TRUE(WaitUntil([&] { return server.starts >= 1; }, 30s));
        WaitUntil([&] { return server.starts >= 2; }, kTestLimit + 1s);
        Sleep(200);
        const auto before = std::chrono::steady_clock::now();
        monitoring.StopMonitoring();
        EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
        const size_t writesAtStop = log.size();
        // The fetch in flight gives up at the stop: the thread ends with the server
        // still misbehaving.
        EXPECT_TRUE(monitoring.waitUntilWorkersEnd(2s));
        server.server.stop();
        EXPECT_TRUE(monitoring.waitUntilWorkersEnd(30s));
        EXPECT_FALSE(alarmBoxOpen());
        EXPECT_EQ(log.size(), writesAtStop);
        const std::vector<monitor::testing::CellWrite> writes = log.writes();
        for (size_t i = entry.setupWrites; i < writes.size(); ++i) {
            EXPECT_EQ(writes[i].column, items::kStatus);
            EXPECT_TRUE(writes[i].text == text::kMonitoring || writes[i].text == text::kStopped)
                << writes[i].text;
        }
        EXPECT_EQ(list.cellText(0, items::kStatus), text::kStopped);
        std::cout << hostile.name << ": " << server.starts << " cycles\n";
    }
}

// A server slower than the limit: every request is answered (with the keyword) a little
// after the worker gave it up, so each late answer comes while the worker waits on its
// next request. The given-up requests must stay given up: no find, no crash, cycle
// after cycle, and a stop still ends the worker at once.
TEST(HostileServer, WorkerSurvivesAnswersAfterTheLimit) {
    for (const auto late : {300ms, 2000ms}) {
        SCOPED_TRACE(late.count());
        HostileServer server([late](SOCKET s, Stopping stop) {
            pause(kTestLimit + late, stop);
            SendAll(s, answer("Content-Length: 8\r\n", "LATEPAGE"), stop);
        });
        WatchedEntry entry(server.server.address("/start"), "LATEPAGE");
        entry.monitoring.StartMonitoring();
        // Four give-ups, each request answered after the next one was on its way.
        EXPECT_TRUE(WaitUntil([&] { return server.starts >= 5; }, 60s)) << server.starts;
        Sleep(static_cast<DWORD>(late.count()) + 500);
        EXPECT_EQ(entry.list.cellText(0, items::kStatus), text::kMonitoring);
        EXPECT_EQ(entry.list.cellText(0, items::kTargetFound), text::kNo);
        EXPECT_FALSE(alarmBoxOpen());
        const auto before = std::chrono::steady_clock::now();
        entry.monitoring.StopMonitoring();
        EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
        EXPECT_TRUE(entry.monitoring.waitUntilWorkersEnd(2s));
        server.server.stop();
        std::cout << late.count() << " ms late: " << server.starts << " cycles\n";
    }
}

// A server that holds every connection without a word (a shop overloaded during a
// sale): a request given up at the limit never holds up the next one, so the server is
// asked again about once a limit, and once it recovers the page is seen in the next cycle.
TEST(HostileServer, HeldRequestsNeverDelayTheNextOne) {
    std::atomic<bool> recovered{false};
    HostileServer server([&](SOCKET s, Stopping stop) {
        if (!recovered) return test_support::WaitForPeerOrStop(s, stop);
        SendAll(s, answer("Content-Length: 9\r\n", "RECOVERED"), stop);
    });
    WatchedEntry entry(server.server.address("/start"), "RECOVERED");
    const auto started = std::chrono::steady_clock::now();
    entry.monitoring.StartMonitoring();
    EXPECT_TRUE(WaitUntil([&] { return server.starts >= 4; }, kTestLimit * 4 + 3s))
        << server.starts << " requests";
    const auto fourth = std::chrono::steady_clock::now() - started;
    std::cout << "held: 4 requests in "
              << std::chrono::duration_cast<std::chrono::milliseconds>(fourth).count() << " ms\n";
    EXPECT_GE(fourth, kTestLimit * 3 - 500ms);  // each one was given its full limit
    recovered = true;
    EXPECT_TRUE(WaitUntil(alarmBoxOpen, kTestLimit + 5s));
    entry.monitoring.StopMonitoring();
    EXPECT_TRUE(entry.monitoring.waitUntilWorkersEnd(2s));
    server.server.stop();
}

// A body without end (a camera, a log tail): each request is closed at the body's cap,
// the next cycle asks again, and the program's memory stays flat cycle after cycle.
TEST(HostileServer, EndlessBodyIsClosedAtTheCapAndMemoryStaysFlat) {
    std::mutex mutex;
    std::vector<size_t> sentPerConnection;
    HostileServer server([&](SOCKET s, Stopping stop) {
        if (!SendAll(s, answer("Content-Type: text/plain\r\n", ""), stop)) return;
        const std::string block(size_t{1} << 16, 'x');
        size_t sent = 0;
        while (sent < (size_t{1} << 32) && SendAll(s, block, stop)) sent += block.size();
        std::lock_guard lock(mutex);
        sentPerConnection.push_back(sent);
    });
    WatchedEntry entry(server.server.address("/start"), "KEYWORD");
    entry.monitoring.StartMonitoring();
    EXPECT_TRUE(WaitUntil([&] { return server.starts >= 3; }, 60s)) << server.starts;
    const size_t early = peakWorkingSet();
    EXPECT_TRUE(WaitUntil([&] { return server.starts >= 8; }, 120s)) << server.starts;
    const size_t late = peakWorkingSet();
    entry.monitoring.StopMonitoring();
    EXPECT_TRUE(entry.monitoring.waitUntilWorkersEnd(2s));
    server.server.stop();
    std::lock_guard lock(mutex);
    std::cout << "endless: " << server.starts << " requests, peak working set " << early / 1048576
              << " MiB after 3, " << late / 1048576 << " MiB after 8\n";
    // A request given up at the limit may still hold its body beside the next one's:
    // two bodies at most, never one more per request.
    EXPECT_LE(late, early + 2 * fetch::kMaxBodySize);
    EXPECT_LT(late, fetch::kMaxBodySize * 6);
    // Each connection ended near the cap (a given-up one earlier), not at the server's end.
    ASSERT_GE(sentPerConnection.size(), 2u);
    for (const size_t sent : sentPerConnection) {
        EXPECT_LE(sent, fetch::kMaxBodySize + (size_t{16} << 20)) << sent / 1048576 << " MiB";
    }
}

// Stops and starts while the server holds every request: the requests left behind end
// by themselves, within their bound, and their threads never pile up.
TEST(HostileServer, StopsAndStartsWhileTheServerHoldsEveryRequest) {
    HostileServer server([](SOCKET s, Stopping stop) { test_support::WaitForPeerOrStop(s, stop); });
    WatchedEntry entry(server.server.address("/start"), "NEVER");
    size_t mostHeld = 0;
    for (int round = 0; round < 20; ++round) {
        const int before = server.starts;
        entry.monitoring.StartMonitoring();
        WaitUntil([&] { return server.starts > before; }, 5s);
        entry.monitoring.StopMonitoring();
        mostHeld = std::max(mostHeld, threads::CallThreadsRunning());
    }
    EXPECT_TRUE(entry.monitoring.waitUntilWorkersEnd(2s));
    std::cout << "stops and starts: " << server.starts << " requests, at most " << mostHeld
              << " request threads at once\n";
    EXPECT_LE(mostHeld, threads::kMaxCallThreads);
    // The server still holds them: they end by their own time limits.
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(threads::JoinBackgroundThreads(kTestLimit * 2 + 2s));
    std::cout << "the last request thread ended after "
              << std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - started)
                     .count()
              << " ms\n";
    server.server.stop();
}

// A page that declares UTF-8 to the page request and then holds the program's own
// client (known by its Referer line) in a redirect loop or in silence: the refetch is
// given up at the time limit, the worker goes on, and a stop ends it at once.
TEST(HostileServer, WorkerCarriesOnWhenTheRefetchHangs) {
    for (const bool loop : {true, false}) {
        SCOPED_TRACE(loop ? "redirect loop" : "silence");
        std::atomic<int> pages{0};
        std::atomic<int> refetches{0};
        RawServer server([&](SOCKET s, Stopping stop) {
            const std::string head = test_support::ReadRequestHead(s, stop);
            if (head.find("\r\nReferer:") == std::string::npos) {
                ++pages;
                SendAll(s, answer("", "<meta charset=\"utf-8\">hello"), stop);
            } else if (++refetches, loop) {
                SendAll(s, "HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 0\r\n\r\n",
                        stop);
            } else {
                test_support::WaitForPeerOrStop(s, stop);
            }
        });
        // "hello": a find only if the refetch came back.
        WatchedEntry entry(server.address("/start"), "hello");
        auto& list = entry.list;
        auto& monitoring = entry.monitoring;

        monitoring.StartMonitoring();
        EXPECT_TRUE(WaitUntil([&] { return pages >= 2; }, 30s)) << pages;
        EXPECT_GE(refetches, 1);
        monitoring.StopMonitoring();
        EXPECT_TRUE(monitoring.waitUntilWorkersEnd(2s));
        EXPECT_FALSE(alarmBoxOpen());
        EXPECT_EQ(list.cellText(0, items::kTargetFound), text::kNo);
        server.stop();
        EXPECT_TRUE(monitoring.waitUntilWorkersEnd(30s));
    }
}

// Addresses that cannot be fetched, through the page request and the page fetch.
TEST(HostileAddress, PageFetchComesBackFromAddressesThatCannotBeFetched) {
    for (const char* address : {"", "   ", "javascript:", "file:///c:/windows/win.ini",
                                "http://[::1]:99999/", "http://127.0.0.1:1/"}) {
        SCOPED_TRACE(address);
        const auto started = std::chrono::steady_clock::now();
        const std::optional<std::string> page =
            OnItsOwnThread([address] {
                static const fetch::PageFetchServices services{
                    [](std::string_view url) {
                        return fetch::RequestPage(adapters::SystemInternetApi(), url,
                                                  {kTestLimit, {}});
                    },
                    [](std::string_view url) {
                        return fetch::HttpGetText(adapters::SystemInternetApi(), fetch::Text(url));
                    },
                    win32::Utf8ToGbk};
                return fetch::FetchPageText(address, services);
            }).waitFor(30s);
        std::cout << "\"" << address << "\": " << describe(page) << " in "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - started)
                         .count()
                  << " ms\n";
        ASSERT_TRUE(page.has_value());
        EXPECT_EQ(*page, "");  // a local file is no longer read
    }
}

}  // namespace
}  // namespace pagorin
