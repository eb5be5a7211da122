// The Windows alarm against a real window system: boxes shown on worker threads, found,
// read back and dismissed from the test thread, boxes taken down by a run's stop, and
// the sound player's parsing and timing.
#include "adapters/win32/alarm_presenter.h"

#include <windows.h>

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "monitor/alarm.h"
#include "monitor/alarm_sound.h"
#include "text/fixed_texts.h"
#include "win32/code_page.h"
#include "win32/wave_player.h"

namespace pagorin::adapters {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using win32::FromWide;
using win32::ParseWave;
using win32::PlayWave;
using win32::PlayWaveAsync;
using win32::ToWide;
using win32::WaveImage;

// Generous: a window system under load can take seconds to show or hide a window.
constexpr auto kBoxTimeout = 20s;

bool IsDialog(HWND window) {
    wchar_t className[16] = {};
    return GetClassNameW(window, className, 16) > 0 && std::wcscmp(className, L"#32770") == 0;
}

// Dialogs created on the hooked thread.
thread_local int tDialogsCreated = 0;

LRESULT CALLBACK CountDialogs(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && IsDialog(reinterpret_cast<HWND>(wParam))) ++tDialogsCreated;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A monitoring worker's thread showing the alarm box. The state is shared with the
// thread so that a test failing with the box stuck open can still let go of it.
class BoxWorker {
  public:
    // Counting the dialogs hooks the thread, which gives it a message queue before
    // showMessage runs; without the count the thread comes to showMessage untouched.
    explicit BoxWorker(std::string text, bool countDialogs = true)
        : state_(std::make_shared<State>()) {
        state_->text = std::move(text);
        state_->countDialogs = countDialogs;
    }

    ~BoxWorker() {
        if (!thread_.joinable()) return;
        // Whatever the test did, never leave a box blocking the program's end.
        state_->stop.requestStop();
        EnumThreadWindows(threadId(), PostClose, 0);
        if (waitReturned(kBoxTimeout)) {
            thread_.join();
        } else {
            ADD_FAILURE() << "the alarm box never returned";
            thread_.detach();
        }
    }
    BoxWorker(const BoxWorker&) = delete;
    BoxWorker& operator=(const BoxWorker&) = delete;

    void start() {
        thread_ = std::thread([state = state_] { Run(*state); });
        std::unique_lock lock(state_->mutex);
        state_->changed.wait(lock, [&] { return state_->threadId != 0; });
    }

    monitor::StopToken& stop() { return state_->stop; }
    DWORD threadId() const {
        std::lock_guard lock(state_->mutex);
        return state_->threadId;
    }
    bool returned() const {
        std::lock_guard lock(state_->mutex);
        return state_->returned;
    }
    bool waitReturned(std::chrono::milliseconds timeout) {
        std::unique_lock lock(state_->mutex);
        return state_->changed.wait_for(lock, timeout, [&] { return state_->returned; });
    }
    Clock::time_point returnedAt() const {
        std::lock_guard lock(state_->mutex);
        return state_->returnedAt;
    }
    int dialogsCreated() const {
        std::lock_guard lock(state_->mutex);
        return state_->dialogsCreated;
    }
    bool quitLeftInQueue() const {
        std::lock_guard lock(state_->mutex);
        return state_->quitLeft;
    }

  private:
    struct State {
        std::string text;
        bool countDialogs = true;
        monitor::StopToken stop;
        mutable std::mutex mutex;
        std::condition_variable changed;
        DWORD threadId = 0;
        bool returned = false;
        Clock::time_point returnedAt;
        int dialogsCreated = -1;
        bool quitLeft = false;
    };

    static BOOL CALLBACK PostClose(HWND window, LPARAM) {
        if (IsDialog(window)) PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
    }

    static void Run(State& state) {
        HHOOK hook = state.countDialogs
                         ? SetWindowsHookExW(WH_CBT, CountDialogs, nullptr, GetCurrentThreadId())
                         : nullptr;
        {
            std::lock_guard lock(state.mutex);
            state.threadId = GetCurrentThreadId();
        }
        state.changed.notify_all();
        Win32AlarmPresenter presenter;
        presenter.showMessage(state.text, monitor::kAlarmCaption, state.stop);
        const Clock::time_point returnedAt = Clock::now();
        if (hook != nullptr) UnhookWindowsHookEx(hook);
        MSG message;
        const bool quitLeft = PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
        {
            std::lock_guard lock(state.mutex);
            state.returned = true;
            state.returnedAt = returnedAt;
            state.dialogsCreated = hook != nullptr ? tDialogsCreated : -1;
            state.quitLeft = quitLeft;
        }
        state.changed.notify_all();
    }

    std::shared_ptr<State> state_;
    std::thread thread_;
};

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found) {
    if (IsDialog(window) && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// The visible box of `threadId`, waited for; a click before it is visible can be lost.
HWND WaitForBox(DWORD threadId) {
    const Clock::time_point deadline = Clock::now() + kBoxTimeout;
    do {
        HWND box = nullptr;
        EnumThreadWindows(threadId, FindVisibleDialog, reinterpret_cast<LPARAM>(&box));
        if (box != nullptr) return box;
        std::this_thread::sleep_for(10ms);
    } while (Clock::now() < deadline);
    return nullptr;
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, wide.data(), length + 1);
    wide.resize(static_cast<size_t>(copied < 0 ? 0 : copied));
    return FromWide(wide);
}

struct Children {
    int buttons = 0;
    HICON icon = nullptr;
};

BOOL CALLBACK ExamineChild(HWND child, LPARAM param) {
    auto& children = *reinterpret_cast<Children*>(param);
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (_wcsicmp(className, L"Button") == 0 && IsWindowVisible(child)) ++children.buttons;
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    if (_wcsicmp(className, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        children.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    }
    return TRUE;
}

// Clicks the box's only button: IDOK, or IDCANCEL where the window system numbers the
// lone OK button that way.
bool ClickOk(HWND box) {
    HWND button = GetDlgItem(box, IDOK);
    if (button == nullptr) button = GetDlgItem(box, IDCANCEL);
    if (button == nullptr) return false;
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

monitor::FoundTarget SampleFind() {
    // "监控目标" found in 或 mode.
    return {"\xBC\xE0\xBF\xD8\xC4\xBF\xB1\xEA", std::string(text::kTagAny)};
}

template <typename Duration>
long long Ms(Duration duration) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
}

TEST(AlarmPresenter, ShowsTheAlarmOnTheWorkersThreadUntilTheUserClosesIt) {
    const std::string message =
        monitor::AlarmMessage("http://www.example.com/list?p=2", SampleFind());
    BoxWorker worker(message);
    worker.start();
    HWND box = WaitForBox(worker.threadId());
    ASSERT_NE(box, nullptr);

    DWORD process = 0;
    EXPECT_EQ(GetWindowThreadProcessId(box, &process), worker.threadId());
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);  // no owner: nothing else is disabled
    // In front of every window, also of the program the user works in.
    EXPECT_NE(GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_TRUE(IsWindowEnabled(GetDesktopWindow()));
    EXPECT_EQ(WindowText(box), monitor::kAlarmCaption);
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), message);

    // MB_OK | MB_ICONINFORMATION: one button and the information icon.
    Children children;
    EnumChildWindows(box, ExamineChild, reinterpret_cast<LPARAM>(&children));
    EXPECT_EQ(children.buttons, 1);
    EXPECT_NE(children.icon, nullptr);
    EXPECT_EQ(children.icon, LoadIconW(nullptr, IDI_INFORMATION));

    // Lets a person (or a screenshot) look at the open box.
    if (const char* hold = std::getenv("PAGORIN_HOLD_ALARM_MS")) {
        std::fputs("alarm box open\n", stdout);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(hold)));
    }

    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(worker.returned()) << "showMessage returned while its box was open";
    ASSERT_TRUE(ClickOk(box));
    ASSERT_TRUE(worker.waitReturned(kBoxTimeout));
    EXPECT_FALSE(IsWindow(box));
    EXPECT_FALSE(worker.stop().stopRequested());
    EXPECT_EQ(worker.dialogsCreated(), 1);
    EXPECT_FALSE(worker.quitLeftInQueue());
}

TEST(AlarmPresenter, StopWhileTheBoxIsOpenTakesItDown) {
    BoxWorker worker(monitor::AlarmMessage("http://a.example/", SampleFind()));
    worker.start();
    HWND box = WaitForBox(worker.threadId());
    ASSERT_NE(box, nullptr);
    std::this_thread::sleep_for(100ms);
    ASSERT_FALSE(worker.returned());

    const Clock::time_point stopAt = Clock::now();
    worker.stop().requestStop();
    // The stop only posts: it must not wait for the box.
    EXPECT_LT(Ms(Clock::now() - stopAt), 500);
    ASSERT_TRUE(worker.waitReturned(kBoxTimeout));
    EXPECT_LT(Ms(worker.returnedAt() - stopAt), 3000);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(worker.dialogsCreated(), 1);
    // The quit that ended the box is not left to end the thread's next message loop.
    EXPECT_FALSE(worker.quitLeftInQueue());
}

TEST(AlarmPresenter, StopBeforeTheBoxReturnsAtOnceWithoutShowingIt) {
    BoxWorker worker("never shown");
    worker.stop().requestStop();
    const Clock::time_point startAt = Clock::now();
    worker.start();
    ASSERT_TRUE(worker.waitReturned(kBoxTimeout));
    EXPECT_LT(Ms(worker.returnedAt() - startAt), 500);
    EXPECT_EQ(worker.dialogsCreated(), 0);
    EXPECT_FALSE(worker.quitLeftInQueue());
}

TEST(AlarmPresenter, StopRacingTheStartOfAnUntouchedThreadNeverLeavesABox) {
    // Here the worker thread makes its first window-system call inside showMessage, so
    // a stop posted before the thread had a message queue would be lost.
    for (int i = 0; i < 200; ++i) {
        SCOPED_TRACE("round " + std::to_string(i));
        BoxWorker worker("racing the stop", false);
        worker.start();
        const Clock::time_point spinUntil = Clock::now() + std::chrono::microseconds(37 * (i % 60));
        while (Clock::now() < spinUntil) {
        }
        const Clock::time_point stopAt = Clock::now();
        worker.stop().requestStop();
        ASSERT_TRUE(worker.waitReturned(kBoxTimeout));
        EXPECT_LT(Ms(worker.returnedAt() - stopAt), 3000);
        EXPECT_FALSE(worker.quitLeftInQueue());
    }
}

TEST(AlarmPresenter, StoppingOneRunTakesDownOnlyItsOwnBox) {
    BoxWorker stopped(monitor::AlarmMessage("http://stopped.example/", SampleFind()));
    BoxWorker kept(monitor::AlarmMessage("http://kept.example/", SampleFind()));
    stopped.start();
    kept.start();
    HWND stoppedBox = WaitForBox(stopped.threadId());
    HWND keptBox = WaitForBox(kept.threadId());
    ASSERT_NE(stoppedBox, nullptr);
    ASSERT_NE(keptBox, nullptr);
    ASSERT_NE(stoppedBox, keptBox);

    stopped.stop().requestStop();
    ASSERT_TRUE(stopped.waitReturned(kBoxTimeout));
    EXPECT_FALSE(IsWindow(stoppedBox));

    // Give a stray close time to arrive before looking at the other box.
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(IsWindow(keptBox));
    EXPECT_TRUE(IsWindowVisible(keptBox));
    EXPECT_FALSE(kept.returned());
    EXPECT_FALSE(kept.stop().stopRequested());
    EXPECT_EQ(WindowText(GetDlgItem(keptBox, 0xFFFF)),
              monitor::AlarmMessage("http://kept.example/", SampleFind()));

    ASSERT_TRUE(ClickOk(keptBox));
    ASSERT_TRUE(kept.waitReturned(kBoxTimeout));
    EXPECT_FALSE(IsWindow(keptBox));
    EXPECT_FALSE(kept.stop().stopRequested());
}

TEST(AlarmPresenter, PlaySoundReturnsAtOnceEveryTime) {
    ASSERT_EQ(monitor::AlarmSound().size(), monitor::kAlarmSoundSize);  // built before timing
    Win32AlarmPresenter presenter;
    for (int i = 0; i < 5; ++i) {
        const Clock::time_point before = Clock::now();
        presenter.playSound();
        EXPECT_LT(Ms(Clock::now() - before), 100) << "call " << i;
    }
}

// --- the sound player ------------------------------------------------------------

// A literal's bytes, embedded zeros included.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string Chunk(std::string_view id, std::string_view body, bool pad = true) {
    std::string chunk(id);
    PutLe(chunk, static_cast<uint32_t>(body.size()), 4);
    chunk += body;
    if (pad && body.size() % 2 != 0) chunk.push_back('\0');
    return chunk;
}

std::string FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    const auto align = static_cast<uint16_t>(channels * bits / 8);
    std::string body;
    PutLe(body, tag, 2);
    PutLe(body, channels, 2);
    PutLe(body, rate, 4);
    PutLe(body, rate * align, 4);
    PutLe(body, align, 2);
    PutLe(body, bits, 2);
    return body;
}

std::string Riff(std::string_view chunks) {
    std::string image = "RIFF";
    PutLe(image, static_cast<uint32_t>(4 + chunks.size()), 4);
    image += "WAVE";
    image += chunks;
    return image;
}

// `samples` bytes of 16-bit mono silence at 16 kHz.
std::string Silence(size_t samples) {
    return Riff(Chunk("fmt ", FormatBody(1, 1, 16000, 16)) +
                Chunk("data", std::string(samples, '\0')));
}

TEST(WavePlayer, ReadsTheAlarmSound) {
    const std::string& sound = monitor::AlarmSound();
    const std::optional<WaveImage> wave = ParseWave(sound);
    ASSERT_TRUE(wave.has_value());
    EXPECT_EQ(wave->channels, 1);
    EXPECT_EQ(wave->sampleRate, 16000U);
    EXPECT_EQ(wave->bytesPerSecond, 32000U);
    EXPECT_EQ(wave->blockAlign, 2);
    EXPECT_EQ(wave->bitsPerSample, 16);
    EXPECT_EQ(wave->samples.data(), sound.data() + 44);
    EXPECT_EQ(wave->samples.size(), 2 * size_t{monitor::kAlarmSampleCount});
}

TEST(WavePlayer, SkipsOtherChunksWithTheirPaddingAndReadsAStereoFormat) {
    std::string format = FormatBody(1, 2, 8000, 8);
    format.append(2, '\0');  // a WAVEFORMATEX-sized chunk with cbSize 0
    const std::string samples = "\x10\x20\x30\x40\x50\x60";
    const std::string image = Riff(Chunk("LIST", "abc") + Chunk("fmt ", format) +
                                   Chunk("fact", Bytes("\x03\0\0\0")) + Chunk("data", samples));
    const std::optional<WaveImage> wave = ParseWave(image);
    ASSERT_TRUE(wave.has_value());
    EXPECT_EQ(wave->channels, 2);
    EXPECT_EQ(wave->sampleRate, 8000U);
    EXPECT_EQ(wave->bytesPerSecond, 16000U);
    EXPECT_EQ(wave->blockAlign, 2);
    EXPECT_EQ(wave->bitsPerSample, 8);
    EXPECT_EQ(wave->samples, samples);
    // 12 + LIST (8 + 3 + 1 pad) + fmt (8 + 18) + fact (8 + 4) + data header 8.
    EXPECT_EQ(wave->samples.data(), image.data() + 12 + 12 + 26 + 12 + 8);
}

TEST(WavePlayer, DropsATrailingPartialBlock) {
    const std::string image =
        Riff(Chunk("fmt ", FormatBody(1, 1, 16000, 16)) + Chunk("data", "\x01\x02\x03\x04\x05"));
    const std::optional<WaveImage> wave = ParseWave(image);
    ASSERT_TRUE(wave.has_value());
    EXPECT_EQ(wave->samples, "\x01\x02\x03\x04");
}

TEST(WavePlayer, DataEndingExactlyAtTheImageEndIsAccepted) {
    // Odd data length and no pad byte: the last chunk may end the image unpadded.
    const std::string image =
        Riff(Chunk("fmt ", FormatBody(1, 1, 8000, 8)) + Chunk("data", "\x7F\x80\x81", false));
    const std::optional<WaveImage> wave = ParseWave(image);
    ASSERT_TRUE(wave.has_value());
    EXPECT_EQ(wave->samples, "\x7F\x80\x81");
}

TEST(WavePlayer, RefusesMalformedImages) {
    const std::string format = Chunk("fmt ", FormatBody(1, 1, 16000, 16));
    const std::string data = Chunk("data", "\x01\x02\x03\x04");
    const auto refused = [](const std::string& image) { return !ParseWave(image).has_value(); };

    EXPECT_TRUE(refused(""));
    EXPECT_TRUE(refused(Bytes("RIFF\x04\0\0\0WAV")));   // 11 bytes
    EXPECT_TRUE(refused(Bytes("RIFF\x04\0\0\0WAVE")));  // no chunks at all
    std::string wrong = Riff(format + data);
    wrong[3] = 'X';  // "RIFX"
    EXPECT_TRUE(refused(wrong));
    wrong = Riff(format + data);
    wrong.replace(8, 4, "AVI ");
    EXPECT_TRUE(refused(wrong));
    wrong = Riff(format + data);
    wrong.replace(12, 4, "fmt_");  // no format chunk then
    EXPECT_TRUE(refused(wrong));

    // Sizes that run past the image, by one byte or by nearly 4 GiB.
    std::string longRiff = Riff(format + data);
    longRiff[4] = static_cast<char>(longRiff[4] + 1);
    EXPECT_TRUE(refused(longRiff));
    std::string longData = Riff(format + data);
    longData[longData.size() - 8] = '\x05';  // data says 5, holds 4
    EXPECT_TRUE(refused(longData));
    std::string hugeData = Riff(format + data);
    hugeData.replace(hugeData.size() - 8, 4, "\xFF\xFF\xFF\xFF");
    EXPECT_TRUE(refused(hugeData));
    std::string hugeFormat = Riff(format + data);
    hugeFormat.replace(16, 4, "\xF0\xFF\xFF\xFF");
    EXPECT_TRUE(refused(hugeFormat));

    // The format itself.
    EXPECT_TRUE(refused(Riff(Chunk("fmt ", FormatBody(1, 1, 16000, 16).substr(0, 14)) + data)));
    EXPECT_TRUE(refused(Riff(Chunk("fmt ", FormatBody(3, 1, 16000, 16)) + data)));  // float
    EXPECT_TRUE(refused(Riff(Chunk("fmt ", FormatBody(1, 1, 16000, 24)) + data)));
    EXPECT_TRUE(refused(Riff(Chunk("fmt ", FormatBody(1, 0, 16000, 16)) + data)));
    EXPECT_TRUE(refused(Riff(Chunk("fmt ", FormatBody(1, 1, 0, 16)) + data)));
    std::string badAlign = FormatBody(1, 1, 16000, 16);
    badAlign[12] = '\x04';
    EXPECT_TRUE(refused(Riff(Chunk("fmt ", badAlign) + data)));
    std::string badRate = FormatBody(1, 1, 16000, 16);
    badRate[8] = static_cast<char>(badRate[8] + 1);
    EXPECT_TRUE(refused(Riff(Chunk("fmt ", badRate) + data)));

    // Order and presence of the chunks, and their contents.
    EXPECT_TRUE(refused(Riff(data + format)));
    EXPECT_TRUE(refused(Riff(format)));
    EXPECT_TRUE(refused(Riff(format + Chunk("data", ""))));
    EXPECT_TRUE(refused(Riff(format + Chunk("data", "\x01"))));  // half a 16-bit sample

    // And every truncation of a good image.
    const std::string good = Riff(format + Chunk("LIST", "xyz") + data);
    ASSERT_FALSE(refused(good));
    for (size_t length = 0; length < good.size(); ++length) {
        EXPECT_TRUE(refused(good.substr(0, length))) << "first " << length << " bytes";
    }
}

TEST(WavePlayer, WhateverIsAcceptedLiesInsideTheImage) {
    const std::string good =
        Riff(Chunk("fmt ", FormatBody(1, 2, 8000, 16)) + Chunk("data", std::string(16, '\x11')));
    for (size_t at = 0; at < good.size(); ++at) {
        for (const int value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            std::string image = good;
            image[at] = static_cast<char>(value);
            const std::optional<WaveImage> wave = ParseWave(image);
            if (!wave) continue;
            EXPECT_GE(wave->samples.data(), image.data() + 12) << at;
            EXPECT_LE(wave->samples.data() + wave->samples.size(), image.data() + image.size())
                << at;
            EXPECT_EQ(wave->samples.size() % wave->blockAlign, 0U) << at;
        }
    }
}

TEST(WavePlayer, TwoStreamsPlayAtOnceOrReturnAtOnceWithoutADevice) {
    const std::string image = Silence(6400);  // 0.2 s
    std::atomic<int> played{0};
    const Clock::time_point before = Clock::now();
    std::thread first([&] { played += PlayWave(image) ? 1 : 0; });
    std::thread second([&] { played += PlayWave(image) ? 1 : 0; });
    first.join();
    second.join();
    const long long elapsed = Ms(Clock::now() - before);
    if (waveOutGetNumDevs() == 0) {
        EXPECT_EQ(played, 0);
        EXPECT_LT(elapsed, 1000);
    } else {
        // Both streams reported their end (not cut off by the safety deadline). How fast
        // a device consumes samples is its own affair: virtual ones outrun the clock.
        EXPECT_EQ(played, 2);
        EXPECT_LT(elapsed, 2000);
    }
}

TEST(WavePlayer, PlayingRefusesMalformedImages) {
    EXPECT_FALSE(PlayWave("RIFF"));
    EXPECT_FALSE(PlayWaveAsync("RIFF"));
    EXPECT_FALSE(PlayWaveAsync(Riff(Chunk("fmt ", FormatBody(1, 1, 16000, 16)))));
}

TEST(WavePlayer, AsyncPlaybackOwnsItsCopyAndReturnsAtOnce) {
    std::vector<std::string> images;
    for (int i = 0; i < 4; ++i) images.push_back(Silence(32000));  // 1 s each, overlapping
    for (std::string& image : images) {
        const Clock::time_point before = Clock::now();
        EXPECT_TRUE(PlayWaveAsync(image));
        EXPECT_LT(Ms(Clock::now() - before), 100);
        // The caller's image may go at once; the player must not read it any more.
        image.assign(image.size(), '\xAA');
        image.clear();
        image.shrink_to_fit();
    }
}

}  // namespace
}  // namespace pagorin::adapters
