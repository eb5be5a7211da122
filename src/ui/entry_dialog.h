// The add and modify dialogs: one window, two configurations.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>

#include "app/entry_commands.h"
#include "text/gbk_texts.h"
#include "widgets/layout.h"
#include "widgets/modal_window.h"

namespace pagorin::ui {

enum class EntryDialogKind { kAdd, kModify };

inline constexpr int kEntryDialogWidth = 420;  // outer size, pixels at 96 DPI
inline constexpr int kEntryDialogHeight = 390;
inline constexpr COLORREF kEntryGroupCaptionColor = RGB(0, 0, 128);

enum EntryControlId : int {
    kIdEntryFrame = 3001,
    kIdUrlGroup,
    kIdUrlEdit,
    kIdKeywordsGroup,
    kIdKeywordsEdit,
    kIdModeGroup,
    kIdModeAny,
    kIdModeAll,
    kIdModeSameLine,
    kIdSoundGroup,
    kIdSoundYes,
    kIdSoundNo,
    kIdIntervalGroup,
    kIdIntervalEdit,
    kIdMinutesLabel,
    kIdSave,
    kIdCancel = IDCANCEL,  // so Escape, through the dialog manager, is "取消"
};

// The controls of each dialog, at 96 DPI.
std::span<const widgets::ControlPlacement> EntryDialogLayout(EntryDialogKind kind);

class EntryDialog : public widgets::ModalWindow {
  public:
    EntryDialog(EntryDialogKind kind, const app::EntryFields& initial,
                app::EntryDialogs::Save save);
    ~EntryDialog() override;

    // Opens the dialog centred on the screen over `owner` (may be null) and returns when
    // it has closed, saved or not.
    void run(HWND owner);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // At WM_CREATE, once the layout's controls are there.
    void setupControls();
    void showFields();
    app::EntryFields readFields() const;
    void onCommand(int id);
    HWND control(int id) const { return GetDlgItem(hwnd(), id); }

    EntryDialogKind kind_;
    app::EntryFields initial_;
    // The three fields' texts as the edits held them when shown: a field that still holds
    // them gives back its original bytes, which need not survive a trip through UTF-16
    // (an imported cell that is not valid GBK).
    std::wstring shownUrl_;
    std::wstring shownKeywords_;
    std::wstring shownInterval_;
    app::EntryDialogs::Save save_;
};

}  // namespace pagorin::ui
