// The entry dialogs and the about window as real windows, each modal over one owner.
#pragma once

#include <windows.h>

#include "app/entry_commands.h"

namespace pagorin::ui {

class Win32EntryDialogs : public app::EntryDialogs {
  public:
    explicit Win32EntryDialogs(HWND owner = nullptr) : owner_(owner) {}

    // The main window exists only after the handlers that use these dialogs are wired.
    void setOwner(HWND owner) { owner_ = owner; }

    void showAddDialog(const app::EntryFields& initial, const Save& save) override;
    void showModifyDialog(const app::EntryFields& initial, const Save& save) override;
    void showAboutWindow() override;

  private:
    HWND owner_;
};

}  // namespace pagorin::ui
