// The add and modify dialogs as real windows: opened on the test thread through
// Win32EntryDialogs, driven from a second thread by messages, and the fields handed to
// the save compared byte for byte.
#include "ui/entry_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "ui/entry_dialogs.h"

namespace pagorin::ui {
namespace {

using namespace dialog_test;

constexpr const wchar_t* kClass = L"PagorinEntryDialog";
const std::wstring kAddTitle = L"添加监控设置";
const std::wstring kModifyTitle = L"修改监控设置";

// What the save was given, and what it answers.
class SaveRecorder {
  public:
    explicit SaveRecorder(std::vector<bool> answers = {true}) : answers_(std::move(answers)) {}

    app::EntryDialogs::Save save() {
        return [this](const app::EntryFields& fields) {
            std::lock_guard lock(mutex_);
            calls_.push_back(fields);
            const size_t index = calls_.size() - 1;
            return index < answers_.size() ? answers_[index] : answers_.back();
        };
    }
    std::vector<app::EntryFields> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<bool> answers_;
    std::vector<app::EntryFields> calls_;
};

void ExpectSameFields(const app::EntryFields& actual, const app::EntryFields& expected) {
    EXPECT_EQ(actual.url, expected.url);
    EXPECT_EQ(actual.keywords, expected.keywords);
    EXPECT_EQ(actual.refreshMinutes, expected.refreshMinutes);
    EXPECT_EQ(actual.modeAny, expected.modeAny);
    EXPECT_EQ(actual.modeAll, expected.modeAll);
    EXPECT_EQ(actual.modeSameLine, expected.modeSameLine);
    EXPECT_EQ(actual.soundYes, expected.soundYes);
    EXPECT_EQ(actual.soundNo, expected.soundNo);
}

// Smoothed glyphs blend navy into the grey around them; those pixels stay clearly bluer
// than red or green, which grey and black pixels never are.
long long NavyPixels(const Rendering& rendering, int rows) {
    long long navy = 0;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < rendering.width; ++x) {
            const COLORREF pixel = rendering.at(x, y);
            if (GetBValue(pixel) > GetRValue(pixel) + 40 && GetRValue(pixel) == GetGValue(pixel)) {
                ++navy;
            }
        }
    }
    return navy;
}

struct Expected {
    int id;
    RECT rect;  // client area of the dialog, 96 DPI
    const wchar_t* text;
};

// Worked out by hand from the form: each control's offset plus its boxes' offsets.
std::vector<Expected> ExpectedControls(EntryDialogKind kind) {
    const int intervalHeight = kind == EntryDialogKind::kModify ? 24 : 22;
    return {
        {kIdEntryFrame, {8, 6, 408, 352}, L""},
        {kIdUrlGroup, {16, 22, 401, 70}, L"监控网址"},
        {kIdUrlEdit, {25, 37, 393, 61}, nullptr},
        {kIdKeywordsGroup, {16, 77, 401, 125}, L"监控关键词[用“|”分开]"},
        {kIdKeywordsEdit, {25, 92, 393, 116}, nullptr},
        {kIdModeGroup, {16, 132, 401, 180}, L"监控方式"},
        {kIdModeAny, {25, 151, 117, 171}, L"或[出现其一]"},
        {kIdModeAll, {154, 151, 246, 171}, L"与[同时出现]"},
        {kIdModeSameLine, {277, 151, 393, 171}, L"同一行[在一行上]"},
        {kIdSoundGroup, {16, 189, 401, 237}, L"声音报警"},
        {kIdSoundYes, {25, 208, 100, 227}, L"是"},
        {kIdSoundNo, {154, 208, 229, 227}, L"否"},
        {kIdIntervalGroup, {16, 246, 401, 294}, L"刷新频率"},
        {kIdIntervalEdit, {25, 264, 80, 264 + intervalHeight}, nullptr},
        {kIdMinutesLabel, {87, 269, 111, 281}, L"分钟"},
        {kIdSave, {190, 305, 278, 337}, L"保存"},
        {kIdCancel, {312, 305, 400, 337}, L"取消"},
    };
}

// The frame, places, captions and styles every dialog of `kind` must have.
void CheckLayout(HWND dialog, HWND owner, EntryDialogKind kind) {
    RECT outer;
    GetWindowRect(dialog, &outer);
    const RECT size = Scaled({0, 0, 420, 390});
    EXPECT_EQ(outer.right - outer.left, size.right);
    EXPECT_EQ(outer.bottom - outer.top, size.bottom);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - size.right) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - size.bottom) / 2);

    const LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    EXPECT_NE(style & WS_CAPTION, 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
    EXPECT_FALSE(IsWindowEnabled(owner)) << "the owner takes no input while the dialog is open";

    for (const Expected& expected : ExpectedControls(kind)) {
        HWND control = GetDlgItem(dialog, expected.id);
        ASSERT_NE(control, nullptr) << expected.id;
        ExpectRect(RectInParent(control), Scaled(expected.rect), expected.id);
        if (expected.text != nullptr) {
            EXPECT_EQ(WideText(control), expected.text) << expected.id;
        }
    }
    // Radios of a box exclude each other, but the program decides which start on.
    for (int id : {kIdModeAny, kIdModeAll, kIdModeSameLine, kIdSoundYes, kIdSoundNo}) {
        EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, id), GWL_STYLE) & BS_TYPEMASK,
                  BS_AUTORADIOBUTTON);
    }
    const LONG_PTR interval = GetWindowLongPtrW(GetDlgItem(dialog, kIdIntervalEdit), GWL_STYLE);
    EXPECT_EQ(interval & (ES_CENTER | ES_RIGHT),
              kind == EntryDialogKind::kAdd ? ES_CENTER : ES_LEFT);
}

class EntryDialogTest : public ::testing::Test {
  protected:
    OwnerWindow owner_;
    Win32EntryDialogs dialogs_{owner_.hwnd()};
    DWORD testThread_ = GetCurrentThreadId();
};

TEST_F(EntryDialogTest, AddDialogHasTheFormsLayoutAndDefaults) {
    ASSERT_NE(owner_.hwnd(), nullptr);
    SaveRecorder recorder;
    Driver driver(kClass, [&] {
        HWND dialog = WaitForWindow(testThread_, kClass, kAddTitle);
        ASSERT_NE(dialog, nullptr);
        CheckLayout(dialog, owner_.hwnd(), EntryDialogKind::kAdd);
        EXPECT_EQ(WideText(GetDlgItem(dialog, kIdUrlEdit)), L"");
        EXPECT_EQ(WideText(GetDlgItem(dialog, kIdKeywordsEdit)), L"");
        EXPECT_EQ(WideText(GetDlgItem(dialog, kIdIntervalEdit)), L"3");
        EXPECT_TRUE(Checked(GetDlgItem(dialog, kIdModeAny)));
        EXPECT_FALSE(Checked(GetDlgItem(dialog, kIdModeAll)));
        EXPECT_FALSE(Checked(GetDlgItem(dialog, kIdModeSameLine)));
        EXPECT_TRUE(Checked(GetDlgItem(dialog, kIdSoundYes)));
        EXPECT_FALSE(Checked(GetDlgItem(dialog, kIdSoundNo)));
        HWND url = GetDlgItem(dialog, kIdUrlEdit);
        EXPECT_TRUE(WaitUntil([&] { return FocusInFront(dialog, testThread_) == url; }))
            << "the address field has the focus";
        PauseForScreenshot("add-dialog");
        SendMessageW(GetDlgItem(dialog, kIdCancel), BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindow(dialog));
    });
    dialogs_.showAddDialog(app::EntryFields{}, recorder.save());
    driver.join();
    EXPECT_TRUE(recorder.calls().empty());
    EXPECT_TRUE(IsWindowEnabled(owner_.hwnd()));
    ExpectOwnerActive(owner_.hwnd());
}

TEST_F(EntryDialogTest, SaveHandsOverTypedGbkTextAndTheRadiosExactly) {
    SaveRecorder recorder;
    Driver driver(kClass, [&] {
        HWND dialog = WaitForWindow(testThread_, kClass, kAddTitle);
        ASSERT_NE(dialog, nullptr);
        SetText(GetDlgItem(dialog, kIdUrlEdit), L"http://例子.中国/报价?q=价格&n=€5");
        SetText(GetDlgItem(dialog, kIdKeywordsEdit), L"降价|特价|  ");
        SetText(GetDlgItem(dialog, kIdIntervalEdit), L"15分");

        // One on in each box, whichever was clicked last.
        auto states = [&] {
            std::string out;
            for (int id : {kIdModeAny, kIdModeAll, kIdModeSameLine, kIdSoundYes, kIdSoundNo}) {
                out += Checked(GetDlgItem(dialog, id)) ? '1' : '0';
            }
            return out;
        };
        SendMessageW(GetDlgItem(dialog, kIdModeAll), BM_CLICK, 0, 0);
        EXPECT_EQ(states(), "01010");
        SendMessageW(GetDlgItem(dialog, kIdModeSameLine), BM_CLICK, 0, 0);
        EXPECT_EQ(states(), "00110");
        SendMessageW(GetDlgItem(dialog, kIdSoundNo), BM_CLICK, 0, 0);
        EXPECT_EQ(states(), "00101");
        SendMessageW(GetDlgItem(dialog, kIdModeAny), BM_CLICK, 0, 0);
        EXPECT_EQ(states(), "10001");
        SendMessageW(GetDlgItem(dialog, kIdModeSameLine), BM_CLICK, 0, 0);
        EXPECT_EQ(states(), "00101");

        SendMessageW(GetDlgItem(dialog, kIdSave), BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindow(dialog)) << "an accepted save closes the dialog";
    });
    dialogs_.showAddDialog(app::EntryFields{}, recorder.save());
    driver.join();
    const std::vector<app::EntryFields> calls = recorder.calls();
    ASSERT_EQ(calls.size(), 1u);
    app::EntryFields expected;
    // http://例子.中国/报价?q=价格&n=€5 in GBK; the euro sign is GBK's single byte 0x80.
    expected.url =
        "http://\xC0\xFD\xD7\xD3.\xD6\xD0\xB9\xFA/\xB1\xA8\xBC\xDB?q=\xBC\xDB\xB8\xF1&n=\x80"
        "5";
    expected.keywords = "\xBD\xB5\xBC\xDB|\xCC\xD8\xBC\xDB|  ";  // 降价|特价|
    expected.refreshMinutes = "15\xB7\xD6";                      // 15分
    expected.modeAny = false;
    expected.modeAll = false;
    expected.modeSameLine = true;
    expected.soundYes = false;
    expected.soundNo = true;
    ExpectSameFields(calls[0], expected);
    EXPECT_TRUE(IsWindowEnabled(owner_.hwnd()));
}

TEST_F(EntryDialogTest, RefusedSaveKeepsTheDialogOpenWithItsContents) {
    SaveRecorder recorder({false, true});
    Driver driver(kClass, [&] {
        HWND dialog = WaitForWindow(testThread_, kClass, kAddTitle);
        ASSERT_NE(dialog, nullptr);
        SetText(GetDlgItem(dialog, kIdKeywordsEdit), L"缺网址");
        SendMessageW(GetDlgItem(dialog, kIdSave), BM_CLICK, 0, 0);
        ASSERT_TRUE(IsWindow(dialog)) << "a refused save leaves the dialog open";
        EXPECT_FALSE(IsWindowEnabled(owner_.hwnd()));
        EXPECT_EQ(WideText(GetDlgItem(dialog, kIdKeywordsEdit)), L"缺网址");
        EXPECT_EQ(WideText(GetDlgItem(dialog, kIdIntervalEdit)), L"3");
        EXPECT_TRUE(Checked(GetDlgItem(dialog, kIdModeAny)));
        SetText(GetDlgItem(dialog, kIdUrlEdit), L"a.cn");
        SendMessageW(GetDlgItem(dialog, kIdSave), BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindow(dialog));
    });
    dialogs_.showAddDialog(app::EntryFields{}, recorder.save());
    driver.join();
    const std::vector<app::EntryFields> calls = recorder.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].url, "");
    EXPECT_EQ(calls[0].keywords, "\xC8\xB1\xCD\xF8\xD6\xB7");  // 缺网址
    EXPECT_EQ(calls[1].url, "a.cn");
    EXPECT_EQ(calls[1].keywords, "\xC8\xB1\xCD\xF8\xD6\xB7");
    EXPECT_EQ(calls[1].refreshMinutes, "3");
    EXPECT_TRUE(calls[1].modeAny);
    EXPECT_TRUE(calls[1].soundYes);
}

// Closing without saving, three ways; none calls the save, all give the owner back.
TEST_F(EntryDialogTest, CancelCloseBoxAndEscapeCloseWithoutSaving) {
    const std::vector<std::function<void(HWND)>> closers = {
        [](HWND dialog) { SendMessageW(GetDlgItem(dialog, kIdCancel), BM_CLICK, 0, 0); },
        [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); },
        // Through the run's dialog manager: the key is posted, as typing would.
        [](HWND dialog) {
            PostMessageW(GetDlgItem(dialog, kIdKeywordsEdit), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        },
    };
    for (size_t i = 0; i < closers.size(); ++i) {
        SaveRecorder recorder;
        Driver driver(kClass, [&] {
            HWND dialog = WaitForWindow(testThread_, kClass, kAddTitle);
            ASSERT_NE(dialog, nullptr);
            SetText(GetDlgItem(dialog, kIdUrlEdit), L"typed");
            closers[i](dialog);
            EXPECT_TRUE(WaitGone(dialog)) << "closer " << i;
        });
        dialogs_.showAddDialog(app::EntryFields{}, recorder.save());
        driver.join();
        EXPECT_TRUE(recorder.calls().empty()) << "closer " << i;
        EXPECT_TRUE(IsWindowEnabled(owner_.hwnd())) << "closer " << i;
    }
}

TEST_F(EntryDialogTest, ModifyDialogShowsTheFieldsAndLeavesUnknownRadiosOff) {
    app::EntryFields initial;
    initial.url = "http://\xBC\xE0\xBF\xD8.cn/a b";  // http://监控.cn/a b
    initial.keywords = "\xBC\xD7|\xD2\xD2";          // 甲|乙
    initial.refreshMinutes = "abc";
    initial.modeAny = initial.modeAll = initial.modeSameLine = false;
    initial.soundYes = initial.soundNo = false;
    SaveRecorder recorder;
    Driver driver(kClass, [&] {
        HWND dialog = WaitForWindow(testThread_, kClass, kModifyTitle);
        ASSERT_NE(dialog, nullptr);
        CheckLayout(dialog, owner_.hwnd(), EntryDialogKind::kModify);
        EXPECT_EQ(WideText(GetDlgItem(dialog, kIdUrlEdit)), L"http://监控.cn/a b");
        EXPECT_EQ(GbkText(GetDlgItem(dialog, kIdKeywordsEdit)), initial.keywords);
        EXPECT_EQ(WideText(GetDlgItem(dialog, kIdIntervalEdit)), L"abc");
        for (int id : {kIdModeAny, kIdModeAll, kIdModeSameLine, kIdSoundYes, kIdSoundNo}) {
            EXPECT_FALSE(Checked(GetDlgItem(dialog, id))) << id;
        }
        // The box stays reachable by Tab even with nothing on.
        EXPECT_NE(GetWindowLongPtrW(GetDlgItem(dialog, kIdModeAny), GWL_STYLE) & WS_TABSTOP, 0);
        PauseForScreenshot("modify-dialog-unknown");
        SendMessageW(GetDlgItem(dialog, kIdSave), BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindow(dialog));
    });
    dialogs_.showModifyDialog(initial, recorder.save());
    driver.join();
    const std::vector<app::EntryFields> calls = recorder.calls();
    ASSERT_EQ(calls.size(), 1u);
    ExpectSameFields(calls[0], initial);
}

// Cells imported from a file may hold bytes that are not GBK; saving the dialog without
// touching a field gives that field back byte for byte, and a field the user changed
// gives what was typed.
TEST_F(EntryDialogTest, ModifyDialogKeepsTheBytesOfFieldsLeftAlone) {
    app::EntryFields initial;
    initial.url = "http://h/\x80\xFF\xA1";  // no GBK character among them
    initial.keywords = "\xB0\x30|\xFE";     // a lead byte before an ASCII byte, one alone
    initial.refreshMinutes = "3\x81";
    SaveRecorder recorder;
    for (const bool typeKeywords : {false, true}) {
        Driver driver(kClass, [&] {
            HWND dialog = WaitForWindow(testThread_, kClass, kModifyTitle);
            ASSERT_NE(dialog, nullptr);
            if (typeKeywords) SetWindowTextW(GetDlgItem(dialog, kIdKeywordsEdit), L"甲|乙");
            SendMessageW(GetDlgItem(dialog, kIdSave), BM_CLICK, 0, 0);
            EXPECT_FALSE(IsWindow(dialog));
        });
        dialogs_.showModifyDialog(initial, recorder.save());
        driver.join();
    }
    const std::vector<app::EntryFields> calls = recorder.calls();
    ASSERT_EQ(calls.size(), 2u);
    ExpectSameFields(calls[0], initial);
    EXPECT_EQ(calls[1].url, initial.url);
    EXPECT_EQ(calls[1].keywords, "\xBC\xD7|\xD2\xD2");  // 甲|乙 as typed
    EXPECT_EQ(calls[1].refreshMinutes, initial.refreshMinutes);
}

TEST_F(EntryDialogTest, ModifyDialogStartsWithTheRowsRadios) {
    app::EntryFields initial;
    initial.url = "u";
    initial.keywords = "k";
    initial.refreshMinutes = "10";
    initial.modeAny = false;
    initial.modeAll = true;
    initial.soundYes = false;
    initial.soundNo = true;
    SaveRecorder recorder;
    Driver driver(kClass, [&] {
        HWND dialog = WaitForWindow(testThread_, kClass, kModifyTitle);
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(Checked(GetDlgItem(dialog, kIdModeAny)));
        EXPECT_TRUE(Checked(GetDlgItem(dialog, kIdModeAll)));
        EXPECT_FALSE(Checked(GetDlgItem(dialog, kIdModeSameLine)));
        EXPECT_FALSE(Checked(GetDlgItem(dialog, kIdSoundYes)));
        EXPECT_TRUE(Checked(GetDlgItem(dialog, kIdSoundNo)));
        PauseForScreenshot("modify-dialog");
        SendMessageW(GetDlgItem(dialog, kIdSave), BM_CLICK, 0, 0);
    });
    dialogs_.showModifyDialog(initial, recorder.save());
    driver.join();
    const std::vector<app::EntryFields> calls = recorder.calls();
    ASSERT_EQ(calls.size(), 1u);
    ExpectSameFields(calls[0], initial);
}

TEST_F(EntryDialogTest, FieldsTakeTextBeyondTheEditDefaultLimit) {
    SaveRecorder recorder;
    Driver driver(kClass, [&] {
        HWND dialog = WaitForWindow(testThread_, kClass, kAddTitle);
        ASSERT_NE(dialog, nullptr);
        for (int id : {kIdUrlEdit, kIdKeywordsEdit, kIdIntervalEdit}) {
            HWND edit = GetDlgItem(dialog, id);
            // An edit takes 30000 typed characters unless told otherwise; typing goes
            // through the limit, WM_SETTEXT does not.
            SetText(edit, std::wstring(30000, L'x'));
            SendMessageW(edit, EM_SETSEL, 30000, 30000);
            SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"尾"));
            EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 30001) << id;
        }
        SendMessageW(GetDlgItem(dialog, kIdSave), BM_CLICK, 0, 0);
    });
    dialogs_.showAddDialog(app::EntryFields{}, recorder.save());
    driver.join();
    const std::vector<app::EntryFields> calls = recorder.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].url, std::string(30000, 'x') + "\xCE\xB2");  // 尾
    EXPECT_EQ(calls[0].refreshMinutes.size(), 30002u);
}

TEST_F(EntryDialogTest, TabAndArrowKeysMoveThroughTheDialog) {
    SaveRecorder recorder;
    Driver driver(kClass, [&] {
        HWND dialog = WaitForWindow(testThread_, kClass, kAddTitle);
        ASSERT_NE(dialog, nullptr);
        HWND url = GetDlgItem(dialog, kIdUrlEdit);
        HWND keywords = GetDlgItem(dialog, kIdKeywordsEdit);
        auto focusIs = [&](HWND control) {
            return [=, this] { return FocusInFront(dialog, testThread_) == control; };
        };
        EXPECT_TRUE(PressKey(dialog, url, VK_TAB, focusIs(keywords)))
            << "Tab goes from the address to the keywords";

        // An arrow in a box of radios moves to the next one and turns it on.
        HWND any = GetDlgItem(dialog, kIdModeAny);
        HWND all = GetDlgItem(dialog, kIdModeAll);
        PostMessageW(any, WM_KEYDOWN, VK_RIGHT, 0x014D0001);
        EXPECT_TRUE(WaitUntil([&] { return Checked(all); }));
        EXPECT_FALSE(Checked(any));
        EXPECT_TRUE(WaitUntil(focusIs(all)));

        EXPECT_TRUE(PressKey(dialog, all, VK_TAB, focusIs(GetDlgItem(dialog, kIdSoundYes))))
            << "Tab goes to the checked radio of the next box";

        // Between the two buttons, which form one group, an arrow moves the focus only.
        HWND save = GetDlgItem(dialog, kIdSave);
        HWND cancel = GetDlgItem(dialog, kIdCancel);
        PostMessageW(save, WM_KEYDOWN, VK_RIGHT, 0x014D0001);
        EXPECT_TRUE(WaitUntil(focusIs(cancel)));
        EXPECT_TRUE(IsWindow(dialog)) << "an arrow clicks no button";
        SendMessageW(cancel, BM_CLICK, 0, 0);
    });
    dialogs_.showAddDialog(app::EntryFields{}, recorder.save());
    driver.join();
    EXPECT_TRUE(recorder.calls().empty());
}

TEST_F(EntryDialogTest, GroupCaptionsAreNavyAndTheRadiosAreNot) {
    SaveRecorder recorder;
    Driver driver(kClass, [&] {
        HWND dialog = WaitForWindow(testThread_, kClass, kAddTitle);
        ASSERT_NE(dialog, nullptr);
        const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        for (int id : {kIdUrlGroup, kIdKeywordsGroup, kIdModeGroup, kIdSoundGroup, kIdIntervalGroup,
                       kIdModeAny, kIdSoundNo}) {
            SetTextColor(dc.get(), RGB(1, 2, 3));
            SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
            const bool group = id != kIdModeAny && id != kIdSoundNo;
            if (group) {
                EXPECT_EQ(GetTextColor(dc.get()), RGB(0, 0, 128)) << id;
            } else {
                EXPECT_NE(GetTextColor(dc.get()), RGB(0, 0, 128)) << id;
            }
        }

        // And as the boxes paint themselves (visual styles would ignore the colour).
        for (int id : {kIdUrlGroup, kIdModeGroup, kIdIntervalGroup}) {
            const Rendering box = RenderClient(GetDlgItem(dialog, id));
            ASSERT_GT(box.height, 14);
            EXPECT_GT(NavyPixels(box, 14), 20) << "navy pixels in the caption of " << id;
        }
        SendMessageW(GetDlgItem(dialog, kIdCancel), BM_CLICK, 0, 0);
    });
    dialogs_.showAddDialog(app::EntryFields{}, recorder.save());
    driver.join();
}

TEST_F(EntryDialogTest, QuitDuringTheDialogClosesItAndIsLeftForTheOuterLoop) {
    SaveRecorder recorder;
    Driver driver(kClass, [&] {
        HWND dialog = WaitForWindow(testThread_, kClass, kAddTitle);
        ASSERT_NE(dialog, nullptr);
        PostThreadMessageW(testThread_, WM_QUIT, 7, 0);
        EXPECT_TRUE(WaitGone(dialog));
    });
    dialogs_.showAddDialog(app::EntryFields{}, recorder.save());
    driver.join();
    EXPECT_TRUE(recorder.calls().empty());
    EXPECT_TRUE(IsWindowEnabled(owner_.hwnd()));
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
}  // namespace pagorin::ui
