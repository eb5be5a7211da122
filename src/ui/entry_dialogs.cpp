// Each call opens a fresh window and returns once it has closed.
#include "ui/entry_dialogs.h"

#include "ui/about_window.h"
#include "ui/entry_dialog.h"

namespace pagorin::ui {

void Win32EntryDialogs::showAddDialog(const app::EntryFields& initial, const Save& save) {
    EntryDialog dialog(EntryDialogKind::kAdd, initial, save);
    dialog.run(owner_);
}

void Win32EntryDialogs::showModifyDialog(const app::EntryFields& initial, const Save& save) {
    EntryDialog dialog(EntryDialogKind::kModify, initial, save);
    dialog.run(owner_);
}

void Win32EntryDialogs::showAboutWindow() {
    AboutWindow window;
    window.run(owner_);
}

}  // namespace pagorin::ui
