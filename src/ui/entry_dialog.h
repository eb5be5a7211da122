// The add and modify dialogs: one window, two configurations.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

#include "platform/win32/unique_resource.h"
#include "ui/entry_commands.h"
#include "ui/layout.h"
#include "ui/modal_window.h"

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
std::span<const ControlPlacement> EntryDialogLayout(EntryDialogKind kind);

class EntryDialog : public ModalWindow {
  public:
    EntryDialog(EntryDialogKind kind, const EntryFields& initial, EntryDialogs::Save save);
    ~EntryDialog() override;

    // Opens the dialog centred on the screen over `owner` (may be null) and returns when
    // it has closed, saved or not.
    void run(HWND owner);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    bool createControls();
    void showFields();
    EntryFields readFields() const;
    void onCommand(int id);
    HWND control(int id) const { return GetDlgItem(hwnd(), id); }

    EntryDialogKind kind_;
    EntryFields initial_;
    EntryDialogs::Save save_;
    Scale scale_ = Scale(96);
    platform::UniqueFont font_;
};

// The dialogs' texts, as GBK bytes.
inline constexpr std::string_view kAddDialogTitle =
    "\xCC\xED\xBC\xD3\xBC\xE0\xBF\xD8\xC9\xE8\xD6\xC3";  // 添加监控设置
inline constexpr std::string_view kModifyDialogTitle =
    "\xD0\xDE\xB8\xC4\xBC\xE0\xBF\xD8\xC9\xE8\xD6\xC3";  // 修改监控设置
inline constexpr std::string_view kUrlGroupCaption =
    "\xBC\xE0\xBF\xD8\xCD\xF8\xD6\xB7";                    // 监控网址
inline constexpr std::string_view kKeywordsGroupCaption =  // 监控关键词[用“|”分开]
    "\xBC\xE0\xBF\xD8\xB9\xD8\xBC\xFC\xB4\xCA[\xD3\xC3\xA1\xB0|\xA1\xB1\xB7\xD6\xBF\xAA]";
inline constexpr std::string_view kModeGroupCaption =
    "\xBC\xE0\xBF\xD8\xB7\xBD\xCA\xBD";  // 监控方式
inline constexpr std::string_view kModeAnyCaption =
    "\xBB\xF2[\xB3\xF6\xCF\xD6\xC6\xE4\xD2\xBB]";  // 或[出现其一]
inline constexpr std::string_view kModeAllCaption =
    "\xD3\xEB[\xCD\xAC\xCA\xB1\xB3\xF6\xCF\xD6]";  // 与[同时出现]
inline constexpr std::string_view kModeSameLineCaption =
    "\xCD\xAC\xD2\xBB\xD0\xD0[\xD4\xDA\xD2\xBB\xD0\xD0\xC9\xCF]";  // 同一行[在一行上]
inline constexpr std::string_view kSoundGroupCaption =
    "\xC9\xF9\xD2\xF4\xB1\xA8\xBE\xAF";                           // 声音报警
inline constexpr std::string_view kSoundYesCaption = "\xCA\xC7";  // 是
inline constexpr std::string_view kSoundNoCaption = "\xB7\xF1";   // 否
inline constexpr std::string_view kIntervalGroupCaption =
    "\xCB\xA2\xD0\xC2\xC6\xB5\xC2\xCA";                                  // 刷新频率
inline constexpr std::string_view kMinutesCaption = "\xB7\xD6\xD6\xD3";  // 分钟
inline constexpr std::string_view kSaveCaption = "\xB1\xA3\xB4\xE6";     // 保存
inline constexpr std::string_view kCancelCaption = "\xC8\xA1\xCF\xFB";   // 取消

}  // namespace pagorin::ui
