#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/desktop/tray_icon.h"
#include "win32/desktop/notify_shell.h"
#include "win32/desktop/pointer_focus.h"
#include "win32/desktop/popup_menu_view.h"
#include "win32/platform/wide.h"
#include "win32/platform/win_clock.h"
#include "win32/platform/win_pump.h"
#include "win32/platform/win_text_codec.h"

namespace horalux {
namespace {

// Runs the thread's queue until `done` holds or about ten seconds pass;
// whether it held is the result.
bool PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 1000; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    Sleep(10);
  }
  return done();
}

// Wine draws icons in a window of its own when the display has no tray.
bool WineTrayWindowExists() {
  return FindWindowW(nullptr, L"Wine System Tray") != nullptr;
}

// A hidden window standing in for the main window that owns the icon.
class OwnerWindow {
 public:
  OwnerWindow() {
    hwnd_ = CreateWindowExW(0, L"STATIC", L"tray owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~OwnerWindow() { DestroyWindow(hwnd_); }
  WindowId id() const { return reinterpret_cast<WindowId>(hwnd_); }
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

class WinNotifyShellTest : public testing::Test {
 protected:
  TrayIconPorts Ports() { return {shell, focus, clock, pump, codec}; }

  OwnerWindow owner;
  WinNotifyShell shell;
  WinPointerFocus focus;
  WinClock clock;
  WinPump pump;
  WinTextCodec codec;
};

TEST_F(WinNotifyShellTest, IconIsAddedChangedHiddenAndRemoved) {
  ASSERT_NE(owner.hwnd(), nullptr) << GetLastError();
  EXPECT_GE(shell.shell_major_version(), 5);
  EXPECT_TRUE(shell.xp_or_later());
  auto icon = std::make_unique<TTrayIcon>(Ports(), owner.id());
  ASSERT_TRUE(shell.has_callback_window());
  EXPECT_EQ(GetParent(shell.callback_window()), owner.hwnd());

  icon->SetTipHelp("　Horalux　：　時刻取得中　");
  ASSERT_NO_THROW(icon->SetVisible(true));  // with the system's default program icon
  EXPECT_TRUE(icon->Visible());
  EXPECT_TRUE(PumpUntil(WineTrayWindowExists));

  EXPECT_NO_THROW(icon->SetTipHelp("Horalux_動作遅延待機中（実行まで 300 秒）"));
  EXPECT_NO_THROW(icon->SetTipHelp(""));
  EXPECT_NO_THROW(icon->SetVisible(false));
  EXPECT_TRUE(icon->Added());
  EXPECT_NO_THROW(icon->SetVisible(true));

  const std::uint32_t id = icon->InstanceNumber();
  icon.reset();
  NotifyIconRecord record;
  record.long_form = true;
  record.id = id;
  EXPECT_FALSE(shell.modify_icon(record)) << "the icon is still there after deletion";
  EXPECT_NE(shell.last_error(), 0u);
}

TEST_F(WinNotifyShellTest, MouseReportsReachTheIconsHandlersOnThisThread) {
  TTrayIcon icon(Ports(), owner.id());
  const DWORD ui_thread = GetCurrentThreadId();
  int moves = 0, clicks = 0;
  DWORD click_thread = 0;
  const Connection moved =
      icon.OnMouseMove.connect([&](TTrayIcon&, TShiftState, int, int) { ++moves; });
  const Connection clicked = icon.OnClick.connect([&](TTrayIcon&) {
    ++clicks;
    click_thread = GetCurrentThreadId();
  });
  HWND callback = shell.callback_window();
  const WPARAM number = icon.InstanceNumber();

  PostMessageW(callback, 1224, number, WM_MOUSEMOVE);
  PostMessageW(callback, 1224, number + 1, WM_MOUSEMOVE);  // no such icon
  EXPECT_TRUE(PumpUntil([&] { return moves > 0; }));
  EXPECT_EQ(moves, 1);

  // The click comes late, from the event loop's timer, on this thread.
  PostMessageW(callback, 1224, number, WM_LBUTTONDOWN);
  PostMessageW(callback, 1224, number, WM_LBUTTONUP);
  EXPECT_TRUE(PumpUntil([&] { return clicks > 0; }));
  EXPECT_EQ(click_thread, ui_thread);
}

// Where the last menu opened: its window's top-left corner.
POINT g_menu_at{};

// Chooses the first entry of an open menu with the keyboard, from inside the
// menu's own loop.
void CALLBACK ChooseFirstEntry(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND menu = FindWindowW(L"#32768", nullptr);
  RECT r{};
  GetWindowRect(menu, &r);
  g_menu_at = {r.left, r.top};
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(WinNotifyShellTest, RightPressOrTheKeyboardOpensTheMenuAndTheChosenEntryRunsAfterItCloses) {
  TPopupMenu menu("PopupMenu1");
  TMenuItem& disp = menu.Add("pmnDisp", "アクセス記録表示(&D)");
  TMenuItem& quit = menu.Add("pmnQuit", "中止＆終了(&X)");
  int popups = 0, quits = 0;
  const Connection popped = menu.OnPopup.connect([&] {
    ++popups;
    disp.Visible = false;
  });
  const Connection counted = quit.OnClick.connect([&] { ++quits; });
  TTrayIcon icon(Ports(), owner.id());
  icon.RBPopupMenu = &menu;
  const WPARAM number = icon.InstanceNumber();
  // The newer report form (the icon's anchor point, then the number beside
  // the message) opens at the anchor; the older one, a mouse's, at the pointer.
  ASSERT_TRUE(SetCursorPos(300, 320));
  const std::tuple<WPARAM, LPARAM, POINT> reports[] = {
      {MAKEWPARAM(120, 140), MAKELPARAM(NIN_KEYSELECT, number), {120, 140}},
      {MAKEWPARAM(120, 140), MAKELPARAM(WM_CONTEXTMENU, number), {120, 140}},
      {number, WM_RBUTTONDOWN, {300, 320}},
  };
  for (const auto& [wp, lp, at] : reports) {
    const int before = quits;
    SetTimer(nullptr, 0, 200, ChooseFirstEntry);
    PostMessageW(shell.callback_window(), 1224, wp, lp);
    EXPECT_TRUE(PumpUntil([&] { return quits > before; })) << std::hex << lp;
    EXPECT_TRUE(g_menu_at.x == at.x && g_menu_at.y == at.y) << g_menu_at.x << "," << g_menu_at.y;
  }
  EXPECT_EQ(popups, 3);
}

TEST(WinPopupMenu, BuildsVisibleEntriesWithTheirStateAndKeepsTheirIndexes) {
  std::vector<PopupMenuEntry> entries = {
      {"アクセス記録表示(&D)", false, true}, {"-", true, true}, {"中止＆終了(&X)", true, false}};
  win32::UniqueMenu menu = win32::BuildPopupMenu(entries);
  ASSERT_NE(menu.get(), nullptr);
  ASSERT_EQ(GetMenuItemCount(menu.get()), 2);
  EXPECT_TRUE(GetMenuState(menu.get(), 0, MF_BYPOSITION) & MF_SEPARATOR);
  wchar_t caption[64] = {};
  GetMenuStringW(menu.get(), 3, caption, 64, MF_BYCOMMAND);
  EXPECT_EQ(win32::Narrow(caption), "中止＆終了(&X)");
  EXPECT_TRUE(GetMenuState(menu.get(), 3, MF_BYCOMMAND) & MF_GRAYED);
}

}  // namespace
}  // namespace horalux
