// MainWindow: the toolbar, the list of entries, the elapsed-time box and the tips line;
// the list's right-click menu and the notification-area icon with its menu.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "app/entry_commands.h"
#include "app/item_file_commands.h"
#include "app/tips.h"
#include "items/item_list.h"
#include "monitor/monitor_ports.h"
#include "widgets/image_button.h"
#include "widgets/layout.h"
#include "widgets/tray_icon.h"
#include "widgets/window.h"
#include "win32/unique_resource.h"

namespace pagorin::ui {

inline constexpr int kMainWidth = 684;
inline constexpr int kMainHeight = 407;

// The controls of the main window, at 96 DPI.
std::span<const widgets::ControlPlacement> MainWindowLayout();

class MainWindow : public widgets::Window,
                   public monitor::ElapsedDisplay,
                   private items::ItemListObserver {
  public:
    MainWindow(items::ItemList& list, app::ItemFileCommands& itemFile, app::TipsState& tips);
    ~MainWindow() override;

    // Wired before the window is created (the engine needs the window as its display).
    void setCommands(monitor::MonitorCommands& monitor, app::EntryCommands& entries) {
        monitor_ = &monitor;
        entries_ = &entries;
    }

    // Creates the window centred on the primary screen and shows it.
    bool createAndShow(int showCommand);

    // ElapsedDisplay, on the UI thread.
    void setElapsedText(std::string_view text) override;
    void setElapsedTimerInterval(int32_t milliseconds) override;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    HWND control(int id) const { return GetDlgItem(hwnd(), id); }

    void onMainWindowCreated();
    void onTipsTick();
    void onMainWindowMoved();
    void onTrayEvent(widgets::TrayAction action);
    void onShowMainWindow();
    void onExitCommand();
    void onItemListRightClick(POINT cursor);

    // ItemListObserver: from any thread; one repaint message at a time.
    void onRowsChanged(int32_t rowCount) override;
    void onCellChanged(int32_t row, int32_t column) override;
    void onSelectionChanged(int32_t row) override;
    void requestListRefresh();
    void refreshList();

    // At WM_CREATE, once the layout's controls are there.
    void setupControls();
    void setupItemList();
    void onCommand(int id);
    LRESULT onNotify(NMHDR* header);
    void restoreAndCentre();
    void raise();
    void popUpTrayMenu();

    items::ItemList& list_;
    app::ItemFileCommands& itemFile_;
    app::TipsState& tips_;
    monitor::MonitorCommands* monitor_ = nullptr;
    app::EntryCommands* entries_ = nullptr;

    win32::UniqueFont elapsedFont_;
    win32::UniqueIcon programIcon_;
    win32::UniqueIcon trayIcon_;
    std::array<win32::UniqueIcon, 6> buttonIcons_;
    std::array<widgets::ImageButtonState, 6> buttonStates_{};
    win32::UniqueMenu contextMenu_;
    win32::UniqueMenu trayMenu_;
    std::unique_ptr<widgets::TrayIcon> tray_;
    UINT taskbarCreatedMessage_ = 0;
    std::atomic<bool> refreshPending_{false};
    std::wstring cellBuffer_;  // holds the text the list view asked for until it copies it
};

}  // namespace pagorin::ui
