// Journeys through the real program: pagorin.exe runs as a process of its own, started
// from a fresh folder, and is used only through its windows, as a person would use it.
// Pages come from a server in this process whose answers change while the program runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/entry_commands.h"
#include "app/item_file_commands.h"
#include "items/item_file.h"
#include "items/monitor_item.h"
#include "journey/program_driver.h"
#include "monitor/alarm.h"
#include "monitor/monitoring.h"
#include "support/loopback_server.h"
#include "text/fixed_texts.h"
#include "ui/entry_dialog.h"
#include "ui/main_window_texts.h"
#include "ui/ui_messages.h"
#include "win32/code_page.h"

namespace pagorin::journey {
namespace {

using test_support::LoopbackServer;
using test_support::RecordedRequest;
using Row = std::vector<std::string>;

// ---- the pages ----

// Every answer the server gave: when, for which path, and whether it was the page that
// should be found.
struct Answer {
    Clock::time_point at;
    std::string path;
    bool findable;
};

// Pages by path, each answering `before` until its switch time and `after` from then on.
class Site {
  public:
    void add(const std::string& path, std::string headers, std::string before, std::string after) {
        std::lock_guard lock(mutex_);
        pages_[path] = {std::move(headers), std::move(before), std::move(after),
                        Clock::time_point::max()};
    }
    void switchAt(const std::string& path, Clock::time_point at) {
        std::lock_guard lock(mutex_);
        pages_[path].switchAt = at;
    }

    std::string answer(const RecordedRequest& request) {
        // A little time per answer, so pages fetched without a pause between them do not
        // turn into thousands of requests a second.
        Sleep(100);
        const size_t from = request.requestLine.find(' ') + 1;
        const std::string path =
            request.requestLine.substr(from, request.requestLine.find(' ', from) - from);
        std::lock_guard lock(mutex_);
        const auto page = pages_.find(path);
        if (page == pages_.end()) return LoopbackServer::Response(404, "Not Found", "", "");
        const Clock::time_point now = Clock::now();
        const bool findable = now >= page->second.switchAt;
        answers_.push_back({now, path, findable});
        return LoopbackServer::Response(200, "OK",
                                        page->second.headers + "Cache-Control: no-store\r\n",
                                        findable ? page->second.after : page->second.before);
    }

    std::vector<Answer> answers() const {
        std::lock_guard lock(mutex_);
        return answers_;
    }
    std::optional<Clock::time_point> first(const std::string& path, bool findable) const {
        for (const Answer& answer : answers()) {
            if (answer.path == path && answer.findable == findable) return answer.at;
        }
        return std::nullopt;
    }
    std::optional<Clock::time_point> firstOf(const std::string& path) const {
        for (const Answer& answer : answers()) {
            if (answer.path == path) return answer.at;
        }
        return std::nullopt;
    }
    size_t count(const std::string& path) const {
        size_t n = 0;
        for (const Answer& answer : answers()) n += answer.path == path ? 1 : 0;
        return n;
    }

  private:
    struct Page {
        std::string headers;
        std::string before;
        std::string after;
        Clock::time_point switchAt;
    };
    mutable std::mutex mutex_;
    std::map<std::string, Page> pages_;
    std::vector<Answer> answers_;
};

const std::string kGbkHeaders = "Content-Type: text/html; charset=gbk\r\n";
const std::string kHtmlHeaders = "Content-Type: text/html\r\n";

// GBK: 今日无货，价格不变 / 今日降价
const std::string kGbkBefore =
    "<html><body><p>\xBD\xF1\xC8\xD5\xCE\xDE\xBB\xF5\xA3\xAC\xBC\xDB\xB8\xF1\xB2\xBB\xB1\xE4"
    "</p></body></html>";
const std::string kGbkAfter = "<html><body><p>\xBD\xF1\xC8\xD5\xBD\xB5\xBC\xDB</p></body></html>";
// UTF-8 declared by <meta charset="utf-8">: title 新品, body 敬请期待 / 新品下周上市
const std::string kMetaHead =
    "<html><head><meta charset=\"utf-8\"><title>\xE6\x96\xB0\xE5\x93\x81"
    "</title></head><body>";
const std::string kMetaBefore = kMetaHead +
                                "\xE6\x95\xAC\xE8\xAF\xB7\xE6\x9C\x9F\xE5\xBE\x85"
                                "</body></html>";
const std::string kMetaAfter = kMetaHead +
                               "\xE6\x96\xB0\xE5\x93\x81\xE4\xB8\x8B\xE5\x91\xA8\xE4\xB8\x8A\xE5"
                               "\xB8\x82</body></html>";
// UTF-8 declared in a content attribute: 特价商品 and 全场包邮 on two lines, then
// 今日特价，全场包邮 on one.
const std::string kContentHead =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
    "</head><body>\r\n";
const std::string kContentBefore =
    kContentHead +
    "\xE7\x89\xB9\xE4\xBB\xB7\xE5\x95\x86\xE5\x93\x81\r\n"
    "\xE5\x85\xA8\xE5\x9C\xBA\xE5\x8C\x85\xE9\x82\xAE\r\n</body></html>";
const std::string kContentAfter = kContentHead +
                                  "\xE4\xBB\x8A\xE6\x97\xA5\xE7\x89\xB9\xE4\xBB\xB7\xEF\xBC\x8C\xE5"
                                  "\x85\xA8\xE5\x9C\xBA\xE5\x8C\x85\xE9\x82\xAE\r\n</body></html>";

// The keywords, in GBK as typed into the dialog.
const std::string kKeywordsAny = "\xC8\xB1\xBB\xF5|\xBD\xB5\xBC\xDB";   // 缺货|降价
const std::string kFoundAny = "\xBD\xB5\xBC\xDB";                       // 降价
const std::string kKeywordsAll = "\xD0\xC2\xC6\xB7|\xC9\xCF\xCA\xD0";   // 新品|上市
const std::string kKeywordsLine = "\xCC\xD8\xBC\xDB|\xB0\xFC\xD3\xCA";  // 特价|包邮

// ---- using the windows ----

struct Entry {
    std::string url;
    std::string keywords;
    std::string interval;
    int modeRadio;
    bool sound;
};

std::string ModeOf(int radio) {
    switch (radio) {
        case ui::kIdModeAll:
            return std::string(text::kModeAll);
        case ui::kIdModeSameLine:
            return std::string(text::kModeSameLine);
        default:
            return std::string(text::kModeAny);
    }
}

// The row the list must show for an entry saved as the `number`th.
Row RowOf(int number, const Entry& entry) {
    return {std::to_string(number),
            std::string(text::kStopped),
            entry.url,
            entry.keywords,
            std::string(entry.sound ? text::kYes : text::kNo),
            entry.interval,
            ModeOf(entry.modeRadio),
            std::string(text::kNo)};
}

bool Checked(HWND radio) {
    return SendWithin(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HWND OpenAddDialog(const RunningProgram& program) {
    program.clickToolbar(ui::kIdAdd);
    const std::wstring title = win32::ToWide(ui::kAddDialogTitle);
    return program.waitForWindow(L"PagorinEntryDialog", &title, 20s);
}

// Fills the open add dialog: the three fields typed, the radios clicked.
void FillDialog(HWND dialog, const Entry& entry) {
    ASSERT_TRUE(SetWindowTextGbk(GetDlgItem(dialog, ui::kIdUrlEdit), entry.url));
    ASSERT_TRUE(SetWindowTextGbk(GetDlgItem(dialog, ui::kIdKeywordsEdit), entry.keywords));
    ASSERT_TRUE(SetWindowTextGbk(GetDlgItem(dialog, ui::kIdIntervalEdit), entry.interval));
    const int soundRadio = entry.sound ? ui::kIdSoundYes : ui::kIdSoundNo;
    SendWithin(GetDlgItem(dialog, entry.modeRadio), BM_CLICK, 0, 0);
    SendWithin(GetDlgItem(dialog, soundRadio), BM_CLICK, 0, 0);
    // A click the radio did not take would make every later check misleading.
    ASSERT_TRUE(Checked(GetDlgItem(dialog, entry.modeRadio)));
    ASSERT_TRUE(Checked(GetDlgItem(dialog, soundRadio)));
    for (int radio : {ui::kIdModeAny, ui::kIdModeAll, ui::kIdModeSameLine}) {
        EXPECT_EQ(Checked(GetDlgItem(dialog, radio)), radio == entry.modeRadio);
    }
    EXPECT_EQ(Checked(GetDlgItem(dialog, ui::kIdSoundNo)), !entry.sound);
    EXPECT_EQ(WindowTextGbk(GetDlgItem(dialog, ui::kIdUrlEdit)), entry.url);
    EXPECT_EQ(WindowTextGbk(GetDlgItem(dialog, ui::kIdKeywordsEdit)), entry.keywords);
}

// "添加", the fields filled, "保存": the dialog must close with the entry saved.
void AddEntry(const RunningProgram& program, const Entry& entry, Screenshots* shots = nullptr) {
    const int rowsBefore = program.rowCount();
    HWND dialog = OpenAddDialog(program);
    ASSERT_NE(dialog, nullptr) << "the add dialog did not open";
    // A new entry starts from the dialog's defaults.
    EXPECT_EQ(WindowTextGbk(GetDlgItem(dialog, ui::kIdUrlEdit)), "");
    EXPECT_EQ(WindowTextGbk(GetDlgItem(dialog, ui::kIdKeywordsEdit)), "");
    EXPECT_EQ(WindowTextGbk(GetDlgItem(dialog, ui::kIdIntervalEdit)), "3");
    EXPECT_TRUE(Checked(GetDlgItem(dialog, ui::kIdModeAny)));
    EXPECT_TRUE(Checked(GetDlgItem(dialog, ui::kIdSoundYes)));
    ASSERT_NO_FATAL_FAILURE(FillDialog(dialog, entry));
    if (shots != nullptr) shots->take("add-dialog-filled");
    // Posted: a refusal would open a message box inside the click.
    PostMessageW(GetDlgItem(dialog, ui::kIdSave), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10s))
        << "the add dialog stayed open after the save";
    EXPECT_TRUE(program.openMessageBoxes().empty());
    // The list view learns of the new row from a message queued behind the dialog's end.
    ASSERT_TRUE(WaitUntil([&] { return program.rowCount() == rowsBefore + 1; }, 5s))
        << "rows after the save: " << program.rowCount();
}

// Seconds the elapsed-time box shows ("HH:MM:SS"), -1 when it shows something else.
int ElapsedSeconds(const RunningProgram& program) {
    const std::string shown = WindowTextGbk(program.control(ui::kIdElapsedBox));
    if (shown.size() != 8 || shown[2] != ':' || shown[5] != ':') return -1;
    for (size_t i : {0u, 1u, 3u, 4u, 6u, 7u}) {
        if (shown[i] < '0' || shown[i] > '9') return -1;
    }
    return std::stoi(shown.substr(0, 2)) * 3600 + std::stoi(shown.substr(3, 2)) * 60 +
           std::stoi(shown.substr(6, 2));
}

struct Refusal {
    std::string_view text;
    std::string_view caption;
    BoxIcon icon;
};

// The program's notices: caption "提示", one of two icons.
Refusal Information(std::string_view text) {
    return {text, text::kCaptionNotice, BoxIcon::kInformation};
}
Refusal Warning(std::string_view text) {
    return {text, text::kCaptionNotice, BoxIcon::kWarning};
}

// The message box the program has just opened: its text, caption and icon, then OK.
void ExpectRefusal(const RunningProgram& program, const Refusal& expected, HWND owner,
                   Screenshots* shots = nullptr, std::string_view moment = {}) {
    const MessageBoxView box = program.waitForMessageBox(10s);
    ASSERT_NE(box.window, nullptr) << "no message box for: " << expected.text;
    EXPECT_EQ(box.text, expected.text);
    EXPECT_EQ(box.caption, expected.caption);
    EXPECT_STREQ(IconName(IconOf(box.window)), IconName(expected.icon)) << expected.text;
    if (owner != nullptr) {
        // Modal over the window the command came from.
        EXPECT_EQ(GetWindow(box.window, GW_OWNER), owner);
        EXPECT_FALSE(IsWindowEnabled(owner));
    }
    if (shots != nullptr) shots->take(moment);
    PressOk(box.window);
    ASSERT_TRUE(WaitGoneOrHidden(box.window, 10s)) << "the message box did not close";
    if (owner != nullptr) {
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(owner) != FALSE; }, 5s));
    }
}

// ---- the fixture ----

class Journey : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.listening());
        ASSERT_TRUE(folder.ready()) << folder.why();
    }

    std::unique_ptr<RunningProgram> startProgram() {
        auto program =
            std::make_unique<RunningProgram>(folder.programPath(), folder.workingFolder());
        return program;
    }

    ProgramFolder folder;
    Site site;
    LoopbackServer server{[this](const RecordedRequest& request) { return site.answer(request); }};
};

// ---- journey 1 ----

TEST_F(Journey, ThreeEntriesAreWatchedAndEachRaisesItsAlarm) {
    Screenshots shots("journey1", 11);
    site.add("/gbk", kGbkHeaders, kGbkBefore, kGbkAfter);
    site.add("/meta-charset", kHtmlHeaders, kMetaBefore, kMetaAfter);
    site.add("/content-type", kHtmlHeaders, kContentBefore, kContentAfter);
    const Entry entries[3] = {
        {server.address("/gbk"), kKeywordsAny, "0", ui::kIdModeAny, true},
        {server.address("/meta-charset"), kKeywordsAll, "0", ui::kIdModeAll, true},
        {server.address("/content-type"), kKeywordsLine, "0", ui::kIdModeSameLine, false},
    };
    const std::string paths[3] = {"/gbk", "/meta-charset", "/content-type"};
    const monitor::FoundTarget finds[3] = {{kFoundAny, std::string(text::kTagAny)},
                                           {kKeywordsAll, std::string(text::kTagAll)},
                                           {kKeywordsLine, std::string(text::kTagSameLine)}};
    // Each page shows its keywords 3 s after the row's first fetch is due (0, 10, 20 s).
    const std::chrono::seconds keywordsFrom[3] = {3s, 13s, 23s};
    const double firstFetchDue[3] = {0.0, 10.0, 20.0};

    auto program = startProgram();
    ASSERT_TRUE(program->started()) << program->why();
    EXPECT_EQ(WindowTextGbk(program->mainWindow()), ui::kMainTitle);
    EXPECT_EQ(program->rowCount(), 0);
    for (const Entry& entry : entries) {
        ASSERT_NO_FATAL_FAILURE(
            AddEntry(*program, entry, entry.url == entries[0].url ? &shots : nullptr));
    }
    std::vector<Row> expected;
    for (int i = 0; i < 3; ++i) expected.push_back(RowOf(i + 1, entries[i]));
    ASSERT_EQ(program->allRows(), expected);
    shots.take("three-entries");

    const Clock::time_point start = Clock::now();
    for (int i = 0; i < 3; ++i) site.switchAt(paths[i], start + keywordsFrom[i]);
    program->clickToolbar(ui::kIdStart);

    struct Watch {
        std::optional<double> monitoringAt;  // seconds after the start
        std::optional<double> boxAt;
        std::optional<double> foundAt;
        MessageBoxView box;
    } watch[3];
    std::set<HWND> handled;
    bool shotMonitoring = false;
    const auto deadline = start + 75s;
    while (Clock::now() < deadline) {
        const double now = SecondsBetween(start, Clock::now());
        for (int row = 0; row < 3; ++row) {
            const std::string status = program->cellText(row, items::kStatus);
            if (status == text::kMonitoring && !watch[row].monitoringAt) {
                watch[row].monitoringAt = now;
            }
            if (program->cellText(row, items::kTargetFound) == text::kYes && !watch[row].foundAt) {
                watch[row].foundAt = now;
                // "是" is written first, "停止" right after it.
                EXPECT_TRUE(WaitUntil(
                    [&] { return program->cellText(row, items::kStatus) == text::kStopped; }, 2s))
                    << "row " << row + 1 << " found but not stopped";
            }
        }
        if (!shotMonitoring && watch[0].monitoringAt && now > 1.5) {
            shots.take("monitoring");
            shotMonitoring = true;
        }
        for (const MessageBoxView& box : program->openMessageBoxes()) {
            if (!handled.insert(box.window).second) continue;
            int row = -1;
            for (int i = 0; i < 3; ++i) {
                if (box.text == monitor::AlarmMessage(entries[i].url, finds[i])) row = i;
            }
            if (row < 0) {
                ADD_FAILURE() << "a message box that is no alarm of the entries: " << box.text;
                PressOk(box.window);
                continue;
            }
            EXPECT_FALSE(watch[row].boxAt) << "a second alarm for row " << row + 1;
            watch[row].boxAt = now;
            watch[row].box = box;
            EXPECT_EQ(box.caption, monitor::kAlarmCaption);
            // Until its box is closed the row is still being watched.
            EXPECT_EQ(program->cellText(row, items::kStatus), text::kMonitoring);
            EXPECT_EQ(program->cellText(row, items::kTargetFound), text::kNo);
            EXPECT_STREQ(IconName(IconOf(box.window)), IconName(BoxIcon::kInformation));
            const int elapsed = ElapsedSeconds(*program);
            EXPECT_NEAR(elapsed, now, 3.0) << "the elapsed-time box shows " << elapsed << " s";
            shots.take("alarm-row" + std::to_string(row + 1));
            PressOk(box.window);
            EXPECT_TRUE(WaitGoneOrHidden(box.window, 10s));
        }
        if (watch[0].foundAt && watch[1].foundAt && watch[2].foundAt) break;
        Sleep(20);
    }
    shots.take("all-found");

    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE("row " + std::to_string(row + 1));
        const std::optional<Clock::time_point> firstFetch = site.firstOf(paths[row]);
        const std::optional<Clock::time_point> firstFindable = site.first(paths[row], true);
        ASSERT_TRUE(firstFetch.has_value()) << "never fetched";
        const double fetchAt = SecondsBetween(start, *firstFetch);
        std::printf("row %d: first fetch %.2f s, status monitoring seen %.2f s, ", row + 1, fetchAt,
                    watch[row].monitoringAt.value_or(-1));
        // The start delays: the first fetches come 10 s apart.
        EXPECT_GE(fetchAt, firstFetchDue[row] - 0.5);
        EXPECT_LE(fetchAt, firstFetchDue[row] + 4.0);
        // The row says it is being watched by the time it is fetched.
        ASSERT_TRUE(watch[row].monitoringAt.has_value());
        EXPECT_LE(*watch[row].monitoringAt, fetchAt + 1.0);
        // Pages without the keywords were fetched and raised nothing.
        const std::optional<Clock::time_point> firstPlain = site.first(paths[row], false);
        EXPECT_TRUE(firstPlain.has_value()) << "the page without keywords was never fetched";
        ASSERT_TRUE(firstFindable.has_value()) << "the page with the keywords was never fetched";
        ASSERT_TRUE(watch[row].boxAt.has_value()) << "no alarm box";
        const double findableAt = SecondsBetween(start, *firstFindable);
        const double delay = *watch[row].boxAt - findableAt;
        std::printf("keywords first served %.2f s, box %.2f s (%.2f s later), found %.2f s\n",
                    findableAt, *watch[row].boxAt, delay, watch[row].foundAt.value_or(-1));
        EXPECT_GE(delay, 9.0);
        EXPECT_LE(delay, 15.0);
        EXPECT_EQ(watch[row].box.text, monitor::AlarmMessage(entries[row].url, finds[row]));
        ASSERT_TRUE(watch[row].foundAt.has_value()) << "the row was not marked found";
        EXPECT_LE(*watch[row].foundAt - *watch[row].boxAt, 3.0);
    }
    // The first alarm's whole text, spelled out here rather than by the program's own
    // function: 在下面网页中发现监控目标：, a blank line, 监控网址：…, 监控目标：降价[或].
    EXPECT_EQ(watch[0].box.text,
              "\xD4\xDA\xCF\xC2\xC3\xE6\xCD\xF8\xD2\xB3\xD6\xD0\xB7\xA2\xCF\xD6\xBC\xE0\xBF\xD8"
              "\xC4\xBF\xB1\xEA\xA3\xBA\r\n\r\n\xBC\xE0\xBF\xD8\xCD\xF8\xD6\xB7\xA3\xBA" +
                  entries[0].url +
                  "\r\n\xBC\xE0\xBF\xD8\xC4\xBF\xB1\xEA\xA3\xBA\xBD\xB5\xBC\xDB[\xBB\xF2]");
    // Found rows stop with "是"; every other cell is as saved.
    for (int i = 0; i < 3; ++i) expected[static_cast<size_t>(i)][items::kTargetFound] = text::kYes;
    EXPECT_EQ(program->allRows(), expected);
    EXPECT_TRUE(program->openMessageBoxes().empty());
    EXPECT_TRUE(folder.workingFolderFiles().empty());
}

// ---- journey 2 ----

TEST_F(Journey, StopWhileTheAlarmIsOpenTakesItDownAndLeavesTheRowUnfound) {
    Screenshots shots("journey2", 21);
    site.add("/gbk", kGbkHeaders, kGbkAfter, kGbkAfter);
    site.switchAt("/gbk", Clock::time_point::min());
    const Entry entry{server.address("/gbk"), kKeywordsAny, "0", ui::kIdModeAny, true};
    auto program = startProgram();
    ASSERT_TRUE(program->started()) << program->why();
    ASSERT_NO_FATAL_FAILURE(AddEntry(*program, entry));

    const Clock::time_point start = Clock::now();
    program->clickToolbar(ui::kIdStart);
    const MessageBoxView box = program->waitForMessageBox(30s);
    ASSERT_NE(box.window, nullptr) << "no alarm";
    const double boxAt = SecondsBetween(start, Clock::now());
    EXPECT_GE(boxAt, 9.0);
    EXPECT_EQ(box.text, monitor::AlarmMessage(entry.url, {kFoundAny, std::string(text::kTagAny)}));
    EXPECT_EQ(box.caption, monitor::kAlarmCaption);
    EXPECT_EQ(program->cellText(0, items::kStatus), text::kMonitoring);
    shots.take("alarm-open");

    const size_t fetchesAtStop = site.count("/gbk");
    const Clock::time_point stop = Clock::now();
    program->clickToolbar(ui::kIdStop);
    ASSERT_TRUE(WaitGoneOrHidden(box.window, 5s)) << "the alarm stayed open after the stop";
    const double goneAfter = SecondsBetween(stop, Clock::now());
    std::printf("alarm after %.2f s, gone %.2f s after the stop\n", boxAt, goneAfter);
    EXPECT_LE(goneAfter, 3.0);
    EXPECT_TRUE(
        WaitUntil([&] { return program->cellText(0, items::kStatus) == text::kStopped; }, 2s));
    Sleep(500);
    const std::string clockAtStop = WindowTextGbk(program->control(ui::kIdElapsedBox));
    shots.take("stopped");

    // Nothing comes after the stop: no write, no fetch, no box, and the clock stands.
    Sleep(3000);
    EXPECT_EQ(program->allRows(), std::vector<Row>{RowOf(1, entry)});
    EXPECT_EQ(site.count("/gbk"), fetchesAtStop);
    EXPECT_TRUE(program->openMessageBoxes().empty());
    EXPECT_EQ(WindowTextGbk(program->control(ui::kIdElapsedBox)), clockAtStop);
}

// The Internet settings of the user, as Internet Options writes them, for the length of
// one journey; what was there before comes back at the end. Other test programs do not
// run beside a journey, so none of them is sent through the proxy.
class UserProxySetting {
  public:
    explicit UserProxySetting(const std::string& server) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = sizeof enabledBefore_;
        hadEnabled_ =
            RegQueryValueExW(key_, L"ProxyEnable", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&enabledBefore_), &size) == ERROR_SUCCESS;
        wchar_t before[512] = {};
        size = sizeof before - sizeof(wchar_t);
        hadServer_ = RegQueryValueExW(key_, L"ProxyServer", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(before), &size) == ERROR_SUCCESS;
        serverBefore_ = before;
        const std::wstring wide(server.begin(), server.end());
        const DWORD on = 1;
        applied_ = RegSetValueExW(
                       key_, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                       static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
                   RegSetValueExW(key_, L"ProxyEnable", 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&on), sizeof on) == ERROR_SUCCESS;
    }
    ~UserProxySetting() {
        if (key_ == nullptr) return;
        if (hadEnabled_) {
            RegSetValueExW(key_, L"ProxyEnable", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&enabledBefore_), sizeof enabledBefore_);
        } else {
            RegDeleteValueW(key_, L"ProxyEnable");
        }
        if (hadServer_) {
            RegSetValueExW(key_, L"ProxyServer", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(serverBefore_.c_str()),
                           static_cast<DWORD>((serverBefore_.size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key_, L"ProxyServer");
        }
        RegCloseKey(key_);
    }
    UserProxySetting(const UserProxySetting&) = delete;
    UserProxySetting& operator=(const UserProxySetting&) = delete;
    bool applied() const { return applied_; }

  private:
    static constexpr const wchar_t* kKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    HKEY key_ = nullptr;
    bool applied_ = false;
    bool hadEnabled_ = false;
    DWORD enabledBefore_ = 0;
    bool hadServer_ = false;
    std::wstring serverBefore_;
};

// A UTF-8 shop page on a host this machine cannot reach by itself: only the proxy the
// user has set up gets there. The page's first fetch and its refetch both go through
// it, and the find raises the alarm.
TEST_F(Journey, BehindTheUsersProxyAUtf8PageIsFetchedTwiceAndAlarms) {
    const std::string url = "http://shop.pagorin.invalid/meta-charset";
    // A proxy is asked for the whole address, with or without its port.
    const std::string withPort = "http://shop.pagorin.invalid:80/meta-charset";
    for (const std::string& target : {url, withPort}) {
        site.add(target, kHtmlHeaders, kMetaAfter, kMetaAfter);
        site.switchAt(target, Clock::time_point::min());
    }
    const UserProxySetting proxy("127.0.0.1:" + std::to_string(server.port()));
    ASSERT_TRUE(proxy.applied());
    const Entry entry{url, kKeywordsAll, "0", ui::kIdModeAll, false};
    auto program = startProgram();
    ASSERT_TRUE(program->started()) << program->why();
    ASSERT_NO_FATAL_FAILURE(AddEntry(*program, entry));
    program->clickToolbar(ui::kIdStart);
    const MessageBoxView box = program->waitForMessageBox(40s);
    ASSERT_NE(box.window, nullptr)
        << "no alarm; the proxy answered " << site.count(url) << " requests";
    EXPECT_EQ(box.text, monitor::AlarmMessage(url, {kKeywordsAll, std::string(text::kTagAll)}));
    PressOk(box.window);
    EXPECT_TRUE(WaitGoneOrHidden(box.window, 10s));
    // The first fetch carries no Referer; the program's own client names the page.
    bool firstFetch = false;
    bool refetch = false;
    for (const RecordedRequest& request : server.requests()) {
        if (request.requestLine != "GET " + url + " HTTP/1.1" &&
            request.requestLine != "GET " + withPort + " HTTP/1.1") {
            continue;
        }
        const std::string referer = test_support::HeaderValue(request.headerBlock, "Referer");
        (referer.empty() ? firstFetch : refetch) = true;
        if (!referer.empty()) {
            EXPECT_EQ(referer, url);
        }
    }
    EXPECT_TRUE(firstFetch);
    EXPECT_TRUE(refetch);
}

// ---- journey 3 ----

TEST_F(Journey, ExportQuitFromTheTrayRestartAndImportBringBackTheRows) {
    Screenshots shots("journey3", 31);
    const Entry entries[3] = {
        {server.address("/gbk"), kKeywordsAny, "5", ui::kIdModeAny, true},
        {server.address("/meta-charset"), kKeywordsAll, "0", ui::kIdModeAll, false},
        {"http://example.invalid/a?b=1&c=2", kKeywordsLine, "12", ui::kIdModeSameLine, true},
    };
    const std::wstring itemFile = folder.besideProgram(items::kItemFileName);
    std::vector<Row> rows;
    std::string fileBytes;  // the format: eight cells joined by "，", CR LF after each row
    for (int i = 0; i < 3; ++i) {
        rows.push_back(RowOf(i + 1, entries[i]));
        for (size_t cell = 0; cell < rows.back().size(); ++cell) {
            if (cell > 0) fileBytes += "\xA3\xAC";
            fileBytes += rows.back()[cell];
        }
        fileBytes += "\r\n";
    }

    {
        auto program = startProgram();
        ASSERT_TRUE(program->started()) << program->why();
        for (const Entry& entry : entries) ASSERT_NO_FATAL_FAILURE(AddEntry(*program, entry));
        ASSERT_EQ(program->allRows(), rows);
        EXPECT_EQ(GetFileAttributesW(itemFile.c_str()), INVALID_FILE_ATTRIBUTES);

        program->menuCommand(ui::kIdExport);
        ASSERT_TRUE(WaitUntil(
            [&] { return GetFileAttributesW(itemFile.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10s))
            << "no item file beside the program";
        // A successful export says nothing.
        Sleep(1000);
        EXPECT_TRUE(program->openMessageBoxes().empty());
        EXPECT_EQ(ReadWholeFile(itemFile), fileBytes);
        EXPECT_TRUE(folder.workingFolderFiles().empty());
        shots.take("exported");

        // Down to the tray, then "退出" from the tray icon's menu.
        PostMessageW(program->mainWindow(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(program->mainWindow()); }, 10s));
        PostMessageW(program->mainWindow(), ui::WM_APP_TRAY, 0, WM_RBUTTONUP);
        HWND menu = program->waitForWindow(L"#32768", nullptr, 10s);
        ASSERT_NE(menu, nullptr) << "the tray menu did not open";
        Sleep(300);
        shots.take("tray-menu");
        PostMessageW(program->mainWindow(), WM_CANCELMODE, 0, 0);
        ASSERT_TRUE(WaitGoneOrHidden(menu, 5s)) << "the tray menu did not close";
        const Clock::time_point exit = Clock::now();
        program->menuCommand(ui::kIdExit);
        const std::optional<DWORD> code = program->waitForExit(5s);
        ASSERT_TRUE(code.has_value()) << "the program did not end within 5 s";
        std::printf("ended %.2f s after the exit command, code %lu\n",
                    SecondsBetween(exit, Clock::now()), *code);
        EXPECT_EQ(*code, 0u);
    }
    EXPECT_EQ(ReadWholeFile(itemFile), fileBytes);

    auto program = startProgram();
    ASSERT_TRUE(program->started()) << program->why();
    // A new start begins with an empty list, whatever file lies beside it.
    Sleep(1000);
    EXPECT_EQ(program->rowCount(), 0);
    shots.take("restarted-empty");
    program->menuCommand(ui::kIdImport);
    ASSERT_TRUE(WaitUntil([&] { return program->rowCount() == 3; }, 10s))
        << "rows after the import: " << program->rowCount();
    EXPECT_EQ(program->allRows(), rows);
    EXPECT_TRUE(program->openMessageBoxes().empty());
    EXPECT_EQ(ReadWholeFile(itemFile), fileBytes);
    shots.take("imported");
}

// ---- journey 4 ----

TEST_F(Journey, TrayRoundTripAndEveryRefusal) {
    Screenshots shots("journey4", 41);
    site.add("/quiet", kGbkHeaders, kGbkBefore, kGbkBefore);
    auto program = startProgram();
    ASSERT_TRUE(program->started()) << program->why();
    HWND main = program->mainWindow();

    // Moved aside as if dragged, down to the tray, back with a click on the icon.
    ASSERT_TRUE(SetWindowPos(main, nullptr, 17, 23, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    RECT moved;
    GetWindowRect(main, &moved);
    ASSERT_EQ(moved.left, 17);
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, 10s))
        << "minimised, the window stayed visible";
    Sleep(300);
    shots.take("in-the-tray");
    PostMessageW(main, ui::WM_APP_TRAY, 0, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }, 10s))
        << "a click on the tray icon did not bring the window back";
    // The window passes through other places (restored where it was, then centred)
    // while the program handles the click.
    const int width = moved.right - moved.left;
    const int height = moved.bottom - moved.top;
    const LONG centredLeft = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const LONG centredTop = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    RECT shown{};
    WaitUntil(
        [&] {
            GetWindowRect(main, &shown);
            return shown.left == centredLeft && shown.top == centredTop;
        },
        5s);
    EXPECT_EQ(shown.left, centredLeft);
    EXPECT_EQ(shown.top, centredTop);
    EXPECT_EQ(shown.right - shown.left, width);
    EXPECT_EQ(shown.bottom - shown.top, height);
    Sleep(300);
    shots.take("back-centred");

    // On an empty list.
    program->clickToolbar(ui::kIdStart);
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(*program, Information(monitor::kAddEntriesFirst), main,
                                          &shots, "start-on-empty-list"));
    program->clickToolbar(ui::kIdModify);
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(*program, Warning(app::kNothingToModify), main));
    program->clickToolbar(ui::kIdDelete);
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(*program, Warning(app::kNothingToDelete), main));
    program->menuCommand(ui::kIdExport);
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(*program, Warning(app::kNothingToExport), main, &shots,
                                          "export-on-empty-list"));
    EXPECT_FALSE(GetFileAttributesW(folder.besideProgram(items::kItemFileName).c_str()) !=
                 INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(program->rowCount(), 0);

    // The add dialog refuses an empty field and keeps what was typed.
    const Entry entry{server.address("/quiet"), kKeywordsAny, "1", ui::kIdModeAny, true};
    HWND dialog = OpenAddDialog(*program);
    ASSERT_NE(dialog, nullptr) << "the add dialog did not open";
    ASSERT_NO_FATAL_FAILURE(FillDialog(dialog, {"", entry.keywords, "1", ui::kIdModeAny, true}));
    PostMessageW(GetDlgItem(dialog, ui::kIdSave), BM_CLICK, 0, 0);
    const Refusal invalid{app::kInvalidFields, app::kInvalidFieldsCaption, BoxIcon::kWarning};
    // The validation message is modal over the dialog it refuses.
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(*program, invalid, dialog, &shots, "invalid-fields"));
    ASSERT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "the dialog closed on a refusal";
    EXPECT_EQ(WindowTextGbk(GetDlgItem(dialog, ui::kIdKeywordsEdit)), entry.keywords);
    ASSERT_NO_FATAL_FAILURE(
        FillDialog(dialog, {entry.url, entry.keywords, "", ui::kIdModeAny, true}));
    PostMessageW(GetDlgItem(dialog, ui::kIdSave), BM_CLICK, 0, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(*program, invalid, dialog));
    ASSERT_TRUE(IsWindow(dialog)) << "the dialog closed on a refusal";
    EXPECT_EQ(program->rowCount(), 0);
    ASSERT_NO_FATAL_FAILURE(FillDialog(dialog, entry));
    PostMessageW(GetDlgItem(dialog, ui::kIdSave), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10s));
    ASSERT_TRUE(WaitUntil([&] { return program->rowCount() == 1; }, 5s));
    ASSERT_EQ(program->allRows(), std::vector<Row>{RowOf(1, entry)});

    // A row, but none selected.
    ASSERT_EQ(program->selectedRow(), -1);
    program->clickToolbar(ui::kIdModify);
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(*program, Warning(app::kSelectRowToModify), main));
    program->clickToolbar(ui::kIdDelete);
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(*program, Warning(app::kSelectRowToDelete), main));

    // While monitoring.
    program->clickToolbar(ui::kIdStart);
    ASSERT_TRUE(
        WaitUntil([&] { return program->cellText(0, items::kStatus) == text::kMonitoring; }, 10s));
    program->clickToolbar(ui::kIdStart);
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(*program, Information(monitor::kAlreadyMonitoring), main,
                                          &shots, "start-while-monitoring"));
    program->clickToolbar(ui::kIdAdd);
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(*program, Information(app::kRefuseAdd), main));
    program->clickToolbar(ui::kIdModify);
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(*program, Information(app::kRefuseModify), main));
    program->clickToolbar(ui::kIdDelete);
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(*program, Information(app::kRefuseDelete), main, &shots,
                                          "delete-while-monitoring"));
    EXPECT_EQ(program->rowCount(), 1);
    program->clickToolbar(ui::kIdStop);
    EXPECT_TRUE(
        WaitUntil([&] { return program->cellText(0, items::kStatus) == text::kStopped; }, 5s));
    EXPECT_EQ(program->allRows(), std::vector<Row>{RowOf(1, entry)});
    EXPECT_TRUE(program->openMessageBoxes().empty());
    shots.take("stopped");
}

}  // namespace
}  // namespace pagorin::journey
