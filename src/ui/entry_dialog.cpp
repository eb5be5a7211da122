// The add and modify dialogs: layout, fields in and out, the save and the modal run.
#include "ui/entry_dialog.h"

#include <commctrl.h>

#include <array>
#include <string>
#include <utility>

#include "ui/resources/resource_ids.h"
#include "win32/code_page.h"

namespace pagorin::ui {
namespace {

constexpr DWORD kEditStyle = ES_AUTOHSCROLL | WS_TABSTOP;
// The first radio of each box starts a dialog-manager group, so turning a radio on
// turns off exactly the other radios of its box.
constexpr DWORD kFirstRadioStyle = BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP;
constexpr DWORD kRadioStyle = BS_AUTORADIOBUTTON;
constexpr DWORD kGroupStyle = BS_GROUPBOX;

// The modify dialog differs only in its interval field: left-aligned and 2 px taller.
constexpr std::array<widgets::ControlPlacement, 17> makeLayout(EntryDialogKind kind) {
    const bool modify = kind == EntryDialogKind::kModify;
    return {{
        {"分组框1", WC_BUTTONW, kIdEntryFrame, 8, 6, 400, 346, BS_GROUPBOX, 0, "", 0},
        {"分组框2", WC_BUTTONW, kIdUrlGroup, 8, 16, 385, 48, kGroupStyle, 0, kUrlGroupCaption,
         kIdEntryFrame},
        {"编辑框1", WC_EDITW, kIdUrlEdit, 9, 15, 368, 24, kEditStyle, WS_EX_CLIENTEDGE, "",
         kIdUrlGroup},
        {"分组框3", WC_BUTTONW, kIdKeywordsGroup, 8, 71, 385, 48, kGroupStyle, 0,
         kKeywordsGroupCaption, kIdEntryFrame},
        {"编辑框2", WC_EDITW, kIdKeywordsEdit, 9, 15, 368, 24, kEditStyle, WS_EX_CLIENTEDGE, "",
         kIdKeywordsGroup},
        {"分组框4", WC_BUTTONW, kIdModeGroup, 8, 126, 385, 48, kGroupStyle, 0, kModeGroupCaption,
         kIdEntryFrame},
        {"单选框1", WC_BUTTONW, kIdModeAny, 9, 19, 92, 20, kFirstRadioStyle, 0, kModeAnyCaption,
         kIdModeGroup},
        {"单选框2", WC_BUTTONW, kIdModeAll, 138, 19, 92, 20, kRadioStyle, 0, kModeAllCaption,
         kIdModeGroup},
        {"单选框3", WC_BUTTONW, kIdModeSameLine, 261, 19, 116, 20, kRadioStyle, 0,
         kModeSameLineCaption, kIdModeGroup},
        {"分组框5", WC_BUTTONW, kIdSoundGroup, 8, 183, 385, 48, kGroupStyle, 0, kSoundGroupCaption,
         kIdEntryFrame},
        {"单选框4", WC_BUTTONW, kIdSoundYes, 9, 19, 75, 19, kFirstRadioStyle, 0, kSoundYesCaption,
         kIdSoundGroup},
        {"单选框5", WC_BUTTONW, kIdSoundNo, 138, 19, 75, 19, kRadioStyle, 0, kSoundNoCaption,
         kIdSoundGroup},
        {"分组框6", WC_BUTTONW, kIdIntervalGroup, 8, 240, 385, 48, kGroupStyle, 0,
         kIntervalGroupCaption, kIdEntryFrame},
        {"编辑框3", WC_EDITW, kIdIntervalEdit, 9, 18, 55, modify ? 24 : 22,
         kEditStyle | (modify ? DWORD{ES_LEFT} : DWORD{ES_CENTER}), WS_EX_CLIENTEDGE, "",
         kIdIntervalGroup},
        {"标签1", WC_STATICW, kIdMinutesLabel, 71, 23, 24, 12, SS_LEFT | SS_NOPREFIX, 0,
         kMinutesCaption, kIdIntervalGroup},
        {"按钮1", WC_BUTTONW, kIdSave, 182, 299, 88, 32, BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0,
         kSaveCaption, kIdEntryFrame},
        {"按钮2", WC_BUTTONW, kIdCancel, 304, 299, 88, 32, BS_PUSHBUTTON | WS_TABSTOP, 0,
         kCancelCaption, kIdEntryFrame},
    }};
}

constexpr auto kAddLayout = makeLayout(EntryDialogKind::kAdd);
constexpr auto kModifyLayout = makeLayout(EntryDialogKind::kModify);

constexpr int kEditIds[] = {kIdUrlEdit, kIdKeywordsEdit, kIdIntervalEdit};
constexpr int kModeIds[] = {kIdModeAny, kIdModeAll, kIdModeSameLine};
constexpr int kSoundIds[] = {kIdSoundYes, kIdSoundNo};
constexpr int kGroupBoxIds[] = {kIdEntryFrame, kIdUrlGroup,   kIdKeywordsGroup,
                                kIdModeGroup,  kIdSoundGroup, kIdIntervalGroup};

std::wstring wideWindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, wide.data(), length + 1);
    wide.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return wide;
}

// The field's bytes: the original ones while it still shows what it was given.
std::string fieldText(HWND edit, const std::wstring& shown, const std::string& original) {
    const std::wstring now = wideWindowText(edit);
    return now == shown ? original : win32::FromWide(now);
}

bool isChecked(HWND radio) {
    return SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

std::span<const widgets::ControlPlacement> EntryDialogLayout(EntryDialogKind kind) {
    if (kind == EntryDialogKind::kModify) return kModifyLayout;
    return kAddLayout;
}

EntryDialog::EntryDialog(EntryDialogKind kind, const app::EntryFields& initial,
                         app::EntryDialogs::Save save)
    : kind_(kind), initial_(initial), save_(std::move(save)) {}

EntryDialog::~EntryDialog() {
    endModal();
}

void EntryDialog::run(HWND owner) {
    if (!create({.className = L"PagorinEntryDialog",
                 .title = kind_ == EntryDialogKind::kAdd ? kAddDialogTitle : kModifyDialogTitle,
                 .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                 .exStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT,
                 .width = kEntryDialogWidth,
                 .height = kEntryDialogHeight,
                 .controls = EntryDialogLayout(kind_),
                 .owner = owner})) {
        return;
    }
    setIcon(IDI_PROGRAM);
    runModal(owner, control(kIdUrlEdit));
}

void EntryDialog::setupControls() {
    // Any length: 0 lifts the edit's limit to its maximum.
    for (int id : kEditIds) SendMessageW(control(id), EM_SETLIMITTEXT, 0, 0);
    colorGroupCaptions(kGroupBoxIds, kEntryGroupCaptionColor);
    showFields();
}

void EntryDialog::showFields() {
    SetWindowTextW(control(kIdUrlEdit), win32::ToWide(initial_.url).c_str());
    SetWindowTextW(control(kIdKeywordsEdit), win32::ToWide(initial_.keywords).c_str());
    SetWindowTextW(control(kIdIntervalEdit), win32::ToWide(initial_.refreshMinutes).c_str());
    shownUrl_ = wideWindowText(control(kIdUrlEdit));
    shownKeywords_ = wideWindowText(control(kIdKeywordsEdit));
    shownInterval_ = wideWindowText(control(kIdIntervalEdit));
    const bool modes[] = {initial_.modeAny, initial_.modeAll, initial_.modeSameLine};
    const bool sounds[] = {initial_.soundYes, initial_.soundNo};
    auto check = [this](std::span<const int> ids, std::span<const bool> states) {
        // Off first, then on: checking an automatic radio clears its siblings, so at most
        // one stays on, and all may stay off.
        for (size_t i = 0; i < ids.size(); ++i) {
            if (!states[i]) SendMessageW(control(ids[i]), BM_SETCHECK, BST_UNCHECKED, 0);
        }
        bool any = false;
        for (size_t i = 0; i < ids.size(); ++i) {
            if (states[i]) {
                SendMessageW(control(ids[i]), BM_SETCHECK, BST_CHECKED, 0);
                any = true;
            }
        }
        // With none on, the group still needs a tab stop to be reachable by keyboard.
        if (!any) {
            HWND first = control(ids[0]);
            SetWindowLongPtrW(first, GWL_STYLE, GetWindowLongPtrW(first, GWL_STYLE) | WS_TABSTOP);
        }
    };
    check(kModeIds, modes);
    check(kSoundIds, sounds);
}

app::EntryFields EntryDialog::readFields() const {
    app::EntryFields fields;
    fields.url = fieldText(control(kIdUrlEdit), shownUrl_, initial_.url);
    fields.keywords = fieldText(control(kIdKeywordsEdit), shownKeywords_, initial_.keywords);
    fields.refreshMinutes =
        fieldText(control(kIdIntervalEdit), shownInterval_, initial_.refreshMinutes);
    fields.modeAny = isChecked(control(kIdModeAny));
    fields.modeAll = isChecked(control(kIdModeAll));
    fields.modeSameLine = isChecked(control(kIdModeSameLine));
    fields.soundYes = isChecked(control(kIdSoundYes));
    fields.soundNo = isChecked(control(kIdSoundNo));
    return fields;
}

void EntryDialog::onCommand(int id) {
    switch (id) {
        case kIdSave: {
            const app::EntryFields fields = readFields();
            // A refusal has shown its message; the dialog stays open with its contents.
            if (save_ && save_(fields)) endModal();
            break;
        }
        case kIdCancel:
            endModal();
            break;
        case IDOK: {
            // Enter: acts on a focused button, and does nothing in the fields.
            HWND focus = GetFocus();
            if (focus == control(kIdSave) || focus == control(kIdCancel)) {
                onCommand(GetDlgCtrlID(focus));
            }
            break;
        }
        default:
            break;
    }
}

LRESULT EntryDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            setupControls();
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED || lParam == 0) onCommand(LOWORD(wParam));
            return 0;
        default:
            break;
    }
    return widgets::ModalWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace pagorin::ui
