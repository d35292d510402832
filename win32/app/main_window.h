#pragma once
#include <windows.h>

#include <array>
#include <memory>
#include <vector>

#include "core/app/fm_jikoku.h"
#include "core/platform/color_scheme.h"
#include "core/platform/form_host.h"
#include "win32/controls/control_binding.h"
#include "win32/engine/log_view.h"
#include "win32/platform/handle.h"
#include "win32/platform/win_clipboard.h"

namespace horalux {

class WinPump;

// The main window ("TfmJikoku"): menu, tab pages, status bar and every
// control, bound to the main window object's models. It is also the core's
// host for showing and closing. A resident run that counts down and ends
// never shows it: its menu, pages, controls and fonts are made only when it
// is first shown or its log view's control is first needed, and then take
// their values from the models.
class MainWindow : public FormHost {
 public:
  // Every colour the window draws goes through `colors`.
  MainWindow(WinPump& pump, HWND application_window, ColorScheme& colors);
  ~MainWindow() override;

  // Ties the window to a main window object before its FormCreate.
  void Bind(TfmJikoku& form);
  HWND hwnd() const { return hwnd_; }
  // Takes the window down while the main window object still exists: the
  // controls report their last events (a field losing the focus) to it.
  void Destroy();

  // FormHost.
  void show_window() override;
  void close_window() override;
  bool shown() override { return hwnd_ && IsWindowVisible(hwnd_); }
  WindowId window_id() override;

  // The view of the access-log page, for the core; it holds its text until
  // the page is built.
  LogView& log_view() { return log_view_; }

  static constexpr const wchar_t* kClassName = L"TfmJikoku";
  static constexpr int kClientWidth = 630;
  static constexpr int kClientHeight = 439;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Guard(const std::function<void()>& action);
  // Makes the fonts, the menu bar, the tabs and the pages with their
  // controls, once.
  void Build();
  void BuildMenus();
  // Brings a popup's entries in step with their models before it opens.
  void SyncMenu(HMENU popup);
  void BuildTabs();
  void BuildPages();
  void SyncTabs();
  // Whether the tab row holds these pages' tabs, in this order.
  bool SameTabs(const std::vector<TTabSheet*>& pages) const;
  // A move to a monitor of another resolution (WM_GETDPISCALEDSIZE,
  // WM_DPICHANGED): the window is laid out again for it.
  LRESULT Rescale(UINT msg, WPARAM wp, LPARAM lp);
  HWND MakePage(int index);
  // The colours the proxy box gives its panel's texts and fields; nullptr
  // for the other controls.
  HBRUSH ProxyColors(HWND control, HDC dc);
  // Keys the window answers before the controls and the tab order see
  // them: Ctrl+Tab and Ctrl+PageDown (forward), with Shift or Ctrl+PageUp
  // (back) change pages; Enter presses the focused button.
  bool PreviewKey(const MSG& msg);
  // After a change of page from the keyboard, a focus left on the hidden
  // page moves to the first control of the shown one.
  void FocusActivePage();
  // The user's colours changed: the controls draw again with the new ones.
  void FollowColors();

  WinPump& pump_;
  HWND application_window_;
  ColorScheme& colors_;
  TfmJikoku* form_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND tabs_ = nullptr;
  win32::WinClipboard clipboard_;
  win32::WinBeeper beeper_;
  HWND status_ = nullptr;
  HWND log_edit_ = nullptr;
  HWND proxy_panel_ = nullptr;
  HWND proxy_edit_ = nullptr;
  HWND port_edit_ = nullptr;
  // The brush of a field background that is not a system colour.
  COLORREF field_brush_color_ = CLR_INVALID;
  win32::UniqueGdi<HBRUSH> field_brush_;
  std::array<HWND, 4> pages_{};
  RECT page_rect_{};
  win32::UniqueGdi<HFONT> font_;
  win32::UniqueGdi<HFONT> log_font_;
  std::unique_ptr<ControlBinder> binder_;
  // This window's own observers of the form's models, and its own handler
  // (the version box).
  std::vector<Connection> observers_;
  HandlerTable events_{"MainWindow"};
  WinLogView log_view_;
  struct MenuEntry {
    UINT id;
    TMenuItem* item;
    HMENU popup;
  };
  std::vector<MenuEntry> menu_entries_;
  HMENU action_menu_ = nullptr;
  HMENU other_menu_ = nullptr;
  bool syncing_tabs_ = false;
  bool built_ = false;
  static constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  // Owned by the hidden application window, so it needs its own taskbar button.
  static constexpr DWORD kExStyle = WS_EX_APPWINDOW;
  win32::WindowDpi layout_{
      [](int dpi) {
        return SIZE{MulDiv(kClientWidth, dpi, 96), MulDiv(kClientHeight, dpi, 96)};
      },
      kStyle, kExStyle, true};
};

}  // namespace horalux
