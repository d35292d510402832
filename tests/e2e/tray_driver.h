#pragma once
// Reaches a program's notification-area icon from outside, under Wine.
//
// Without a desktop tray (Xvfb has none) Wine's explorer shows the icons in a
// top-level window of its own titled "Wine System Tray"; each shown icon there
// is a child window of explorer's (class "__winex11_tray_icon" in Wine 8,
// "__wine_tray_icon" later) with a tooltip window that holds the icon's tip.
// Mouse messages sent to an icon window are relayed by explorer to the
// program's callback window as the icon's callback message, just as a real
// click would be. Wine 8 destroys the window of an icon its program hides.
//
// Other programs' icons may share the tray (tests run in parallel), so an icon
// is always looked up by the process that put it there:
//   auto icon = e2e::WaitTrayIcon(app);
//   icon.RightClick();
//   e2e::ChoosePopupItem(e2e::WaitPopupMenu(app), "中止＆終了(&X)");

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/driver.h"

namespace horalux::e2e {

inline constexpr char kSystemTrayTitle[] = "Wine System Tray";
inline constexpr char kPopupMenuClass[] = "#32768";

// One icon in Wine's notification area.
class TrayIcon {
 public:
  explicit TrayIcon(Window window) : window_(window) {}
  const Window& window() const { return window_; }
  // The process whose window receives the icon's mouse actions; 0 when it
  // cannot be told (the icon has gone, or explorer lays its record out
  // otherwise than Wine 8 to 9 do).
  DWORD OwnerProcessId() const;
  // The tip the area shows for the icon; nullopt when it cannot be read.
  std::optional<std::string> Tip() const;
  // Shown in the tray.
  bool Shown() const;
  // Presses and releases the right mouse button over the icon.
  void RightClick() const;

 private:
  Window window_;
};

// Wine's stand-alone tray window; nullopt while it does not exist or is hidden.
std::optional<Window> SystemTray();
// Every icon the tray shows.
std::vector<TrayIcon> TrayIcons();
// The icon a process shows in the tray; nullopt when none.
std::optional<TrayIcon> FindTrayIcon(DWORD pid);
// Waits until the process's icon is shown in the tray.
TrayIcon WaitTrayIcon(const Process& program, Millis timeout = kWait);

// A popup menu ("#32768") open in the process.
Window WaitPopupMenu(const Process& program, Millis timeout = kWait);
// Chooses a menu entry by the access key of its caption ("中止＆終了(&X)"
// presses X), as a keyboard user does: Wine keeps a menu's items inside its
// process, so they cannot be read from here.
void ChoosePopupItem(const Window& menu, std::string_view caption);

}  // namespace horalux::e2e
