#include "win32/app/main_window.h"

#include <commctrl.h>

#include <stdexcept>

#include "core/base/version.h"
#include "win32/app/fonts.h"
#include "win32/controls/shown_color.h"
#include "win32/dialogs/version_box.h"
#include "win32/platform/handle.h"
#include "win32/platform/wide.h"
#include "win32/platform/window_class.h"
#include "win32/platform/window_state.h"
#include "win32/platform/win_pump.h"

namespace horalux {

using win32::Widen;

namespace {
constexpr wchar_t kPageClass[] = L"TTabSheet";
constexpr int kMenuClose = 100;
// Ids of the menu entries bound to the main window object's models.
constexpr UINT kFirstBoundMenuId = 200;
constexpr int kTabWidth = 110;
constexpr int kTabHeight = 22;

}  // namespace

MainWindow::MainWindow(WinPump& pump, HWND application_window, ColorScheme& colors)
    : pump_(pump), application_window_(application_window), colors_(colors) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(1));
  wc.hIconSm = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0));
  wc.lpfnWndProc = WndProc;
  wc.lpszClassName = kClassName;
  win32::RegisterWindowClass(wc);
  wc.lpfnWndProc = PageProc;
  wc.lpszClassName = kPageClass;
  wc.hIcon = nullptr;
  wc.hIconSm = nullptr;
  win32::RegisterWindowClass(wc);

  // Laid out for the menu bar it gets when it is built, at the centre of the screen.
  hwnd_ = win32::CheckCreated(
      win32::CreateScaledWindow(layout_, kClassName, Widen(kProgramTitle).c_str(),
                                application_window_, nullptr, this),
      "TfmJikoku");
  clipboard_.set_owner(hwnd_);
  pump_.set_dialog_window(hwnd_);
  pump_.set_preview([this](const MSG& msg) { return PreviewKey(msg); });
  log_view_.set_control_maker([this] { Build(); });
}

void MainWindow::Build() {
  if (built_ || !form_) return;
  built_ = true;
  font_.reset(CreateGothicFont(12, false, layout_.dpi()));
  log_font_.reset(CreateGothicFont(16, true, layout_.dpi()));
  binder_ = std::make_unique<ControlBinder>(
      font_, layout_, [this](const std::function<void()>& action) { Guard(action); }, &clipboard_,
      &beeper_, &colors_);
  win32::UniqueMenu menu(CreateMenu());
  win32::UniqueMenu file(CreatePopupMenu());
  if (!menu.get() || !file.get() || !AppendMenuW(file.get(), MF_STRING, kMenuClose, L"終了(&X)") ||
      !AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(file.get()), L"ファイル(&F)") ||
      !SetMenu(hwnd_, menu.get())) {
    throw std::runtime_error("the main window's menu cannot be made");
  }
  // The window destroys the menu bar, and the bar its menus, with itself.
  file.release();
  menu.release();
  BuildMenus();
  BuildTabs();
  BuildPages();
  SyncTabs();
}

void MainWindow::BuildMenus() {
  HMENU bar = GetMenu(hwnd_);
  UINT next_id = kFirstBoundMenuId;
  auto fill = [&](win32::UniqueMenu& menu, const std::vector<TMenuItem*>& items) {
    if (!menu.get()) throw std::runtime_error("the main window's menu cannot be made");
    for (TMenuItem* item : items) {
      if (!AppendMenuW(menu.get(), MF_STRING, next_id, Widen(item->Caption).c_str()))
        throw std::runtime_error("the main window's menu cannot be made");
      menu_entries_.push_back({next_id++, item, menu.get()});
    }
  };
  auto attach = [](HMENU parent, win32::UniqueMenu& child, const wchar_t* caption) {
    if (!AppendMenuW(parent, MF_POPUP, reinterpret_cast<UINT_PTR>(child.get()), caption))
      throw std::runtime_error("the main window's menu cannot be made");
    child.release();  // the parent destroys it with itself
  };
  TfmJikoku& f = *form_;
  // The box is this window's own business: no rule of the program is behind it.
  events_.Bind({{f.mnVersion.OnClick, "mnVersion.OnClick",
                 [this] { win32::ShowVersionBox(hwnd_, kProgramVersion, &colors_); }}});
  win32::UniqueMenu action(CreatePopupMenu());
  win32::UniqueMenu details(CreatePopupMenu());
  win32::UniqueMenu other(CreatePopupMenu());
  fill(action, {&f.mnStartUpOn, &f.mnStartupOff, &f.mnShortCutDesk});
  fill(details, {&f.mnHTTP, &f.mnSNTP});
  fill(other, {&f.mnVersion, &f.mnProperty, &f.mnSetup});
  action_menu_ = action.get();
  other_menu_ = other.get();
  attach(action.get(), details, L"詳細設定(&O)");
  attach(bar, action, L"アクション(&A)");
  attach(bar, other, L"その他(&O)");
  DrawMenuBar(hwnd_);
  // A menu that wraps takes from the client area: the window grows instead.
  layout_.FitClient(hwnd_);
}

void MainWindow::SyncMenu(HMENU popup) {
  for (const MenuEntry& e : menu_entries_) {
    if (e.popup != popup) continue;
    const bool present = GetMenuState(popup, e.id, MF_BYCOMMAND) != static_cast<UINT>(-1);
    if (present && !e.item->Visible) {
      RemoveMenu(popup, e.id, MF_BYCOMMAND);
    } else if (!present && e.item->Visible) {
      // A menu has no hidden items: the item goes back after the shown ones before it.
      UINT pos = 0;
      for (const MenuEntry& before : menu_entries_) {
        if (before.id == e.id) break;
        if (before.popup == popup &&
            GetMenuState(popup, before.id, MF_BYCOMMAND) != static_cast<UINT>(-1))
          ++pos;
      }
      InsertMenuW(popup, pos, MF_BYPOSITION | MF_STRING, e.id, Widen(e.item->Caption).c_str());
    }
    EnableMenuItem(popup, e.id, MF_BYCOMMAND | (e.item->Enabled ? MF_ENABLED : MF_GRAYED));
  }
}

MainWindow::~MainWindow() {
  Destroy();
}

void MainWindow::Destroy() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  form_ = nullptr;
}

void MainWindow::Guard(const std::function<void()>& action) {
  if (form_) {
    form_->Guarded(action);
  } else {
    action();
  }
}

void MainWindow::Bind(TfmJikoku& form) {
  form_ = &form;
}

void MainWindow::BuildTabs() {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  status_ = win32::CheckCreated(
      CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_TOOLTIPS, 0, 0, 0, 0,
                      hwnd_, nullptr, inst, nullptr),
      "StatusBar1");
  SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  SendMessageW(status_, SB_SIMPLE, TRUE, 0);
  RECT sr;
  GetWindowRect(status_, &sr);
  int status_h = sr.bottom - sr.top;
  tabs_ = win32::CheckCreated(
      CreateWindowExW(
          0, WC_TABCONTROLW, L"",
          WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_BOTTOM | TCS_FIXEDWIDTH | WS_TABSTOP, 0, 0,
          layout_.Scale(kClientWidth), layout_.Scale(kClientHeight) - status_h, hwnd_, nullptr,
          inst, nullptr),
      "PageControl1");
  SendMessageW(tabs_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  SendMessageW(tabs_, TCM_SETITEMSIZE, 0,
               MAKELPARAM(layout_.Scale(kTabWidth), layout_.Scale(kTabHeight)));
  // The page area is measured with a tab row present.
  TCITEMW probe{};
  probe.mask = TCIF_TEXT;
  wchar_t probe_text[] = L"probe";
  probe.pszText = probe_text;
  SendMessageW(tabs_, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&probe));
  GetClientRect(tabs_, &page_rect_);
  SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page_rect_));
  SendMessageW(tabs_, TCM_DELETEALLITEMS, 0, 0);

  JikokuScreen& s = form_->Screen();
  auto sync_status = [this, &s] {
    SendMessageW(status_, SB_SETTEXTW, SB_SIMPLEID,
                 reinterpret_cast<LPARAM>(Widen(s.StatusBar1.SimpleText()).c_str()));
  };
  observers_.push_back(s.StatusBar1.on_view_update.connect(sync_status));
  sync_status();
  observers_.push_back(s.PageControl1.on_view_update.connect([this] { SyncTabs(); }));
  for (TTabSheet* page : s.PageControl1.Pages())
    observers_.push_back(page->on_view_update.connect([this] { SyncTabs(); }));
}

HWND MainWindow::MakePage(int index) {
  const RECT& r = page_rect_;
  HWND page = win32::CheckCreated(
      CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD | WS_CLIPSIBLINGS, r.left,
                      r.top, r.right - r.left, r.bottom - r.top, hwnd_, nullptr,
                      GetModuleHandleW(nullptr), this),
      "TTabSheet");
  SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  pages_[static_cast<std::size_t>(index)] = page;
  return page;
}

void MainWindow::SyncTabs() {
  if (syncing_tabs_ || !tabs_) return;
  syncing_tabs_ = true;
  JikokuScreen& s = form_->Screen();
  std::vector<TTabSheet*> shown;
  int selected = -1;
  for (TTabSheet* page : s.PageControl1.Pages()) {
    if (!page->TabVisible()) continue;
    if (page == s.PageControl1.ActivePage()) selected = static_cast<int>(shown.size());
    shown.push_back(page);
  }
  // A shown tab row redraws at every item it gets or loses: it is made anew
  // only when its tabs are not the ones to show.
  if (!SameTabs(shown)) {
    SendMessageW(tabs_, TCM_DELETEALLITEMS, 0, 0);
    for (std::size_t item = 0; item < shown.size(); ++item) {
      std::wstring caption = Widen(shown[item]->Caption());
      TCITEMW ti{};
      ti.mask = TCIF_TEXT | TCIF_PARAM;
      ti.pszText = caption.data();
      ti.lParam = shown[item]->PageIndex();
      SendMessageW(tabs_, TCM_INSERTITEMW, item, reinterpret_cast<LPARAM>(&ti));
    }
  }
  if (SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) != selected)
    SendMessageW(tabs_, TCM_SETCURSEL, selected, 0);
  for (TTabSheet* page : s.PageControl1.Pages()) {
    HWND w = pages_[static_cast<std::size_t>(page->PageIndex())];
    if (!w) continue;
    const bool show = page == s.PageControl1.ActivePage();
    if (show != ((GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0))
      ShowWindow(w, show ? SW_SHOWNA : SW_HIDE);
  }
  syncing_tabs_ = false;
}

bool MainWindow::SameTabs(const std::vector<TTabSheet*>& pages) const {
  if (SendMessageW(tabs_, TCM_GETITEMCOUNT, 0, 0) != static_cast<LRESULT>(pages.size()))
    return false;
  for (std::size_t item = 0; item < pages.size(); ++item) {
    wchar_t caption[64] = {};
    TCITEMW ti{};
    ti.mask = TCIF_TEXT | TCIF_PARAM;
    ti.pszText = caption;
    ti.cchTextMax = 64;
    if (!SendMessageW(tabs_, TCM_GETITEMW, item, reinterpret_cast<LPARAM>(&ti)) ||
        ti.lParam != pages[item]->PageIndex() || Widen(pages[item]->Caption()) != ti.pszText)
      return false;
  }
  return true;
}

LRESULT MainWindow::Rescale(UINT msg, WPARAM wp, LPARAM lp) {
  // The controls are laid out for the resolution the window opened at, then moved.
  if (msg == WM_DPICHANGED) Build();
  LRESULT result = 0;
  const int before = layout_.dpi();
  layout_.OnMessage(
      hwnd_, msg, wp, lp, &result,
      [this](int dpi) {
        font_.reset(CreateGothicFont(12, false, dpi));
        log_font_.reset(CreateGothicFont(16, true, dpi));
      },
      [this](HWND child) { return child == log_edit_ ? log_font_.get() : font_.get(); });
  if (layout_.dpi() != before && tabs_) {
    SendMessageW(tabs_, TCM_SETITEMSIZE, 0,
                 MAKELPARAM(layout_.Scale(kTabWidth), layout_.Scale(kTabHeight)));
    SendMessageW(status_, WM_SIZE, 0, 0);
  }
  return result;
}

void MainWindow::show_window() {
  Build();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void MainWindow::close_window() {
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

HBRUSH MainWindow::ProxyColors(HWND control, HDC dc) {
  if (!form_ || !proxy_panel_) return nullptr;
  JikokuScreen& s = form_->Screen();
  const COLORREF text = win32::ShownColor(s.pnlProxy.FontColor(), &colors_);
  if (control == proxy_edit_ || control == port_edit_) {
    const TColor field = ContrastColor((control == proxy_edit_ ? s.edtProxy : s.edtPort).Color(),
                                       colors_.high_contrast());
    SetTextColor(dc, text);
    SetBkColor(dc, win32::ShownColor(field, nullptr));
    if (field & 0x80000000u) return GetSysColorBrush(static_cast<int>(field & 0xFF));
    if (!field_brush_.get() || field_brush_color_ != field) {
      field_brush_.reset(CreateSolidBrush(field));
      field_brush_color_ = field;
    }
    return field_brush_.get();
  }
  if (GetParent(control) != proxy_panel_) return nullptr;
  SetTextColor(dc, text);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

bool MainWindow::PreviewKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !form_ || !tabs_) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
  if (ctrl && GetKeyState(VK_MENU) >= 0 &&
      (msg.wParam == VK_TAB || msg.wParam == VK_NEXT || msg.wParam == VK_PRIOR)) {
    const bool forward = msg.wParam == VK_TAB ? !shift : msg.wParam == VK_NEXT;
    Guard([this, forward] { form_->Screen().PageControl1.UserSelectNext(forward); });
    FocusActivePage();
    return true;
  }
  // Without a default button of its own, the window lets Enter press the
  // button that has the focus, as Space does.
  if (msg.wParam == VK_RETURN && !ctrl && !shift) {
    HWND focus = GetFocus();
    const LRESULT code = focus ? SendMessageW(focus, WM_GETDLGCODE, 0, 0) : 0;
    if (focus && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
      SendMessageW(focus, BM_CLICK, 0, 0);
      return true;
    }
  }
  return false;
}

void MainWindow::FocusActivePage() {
  HWND focus = GetFocus();
  if (focus && IsWindowVisible(focus)) return;
  const int index = form_->Screen().PageControl1.ActivePageIndex();
  if (index < 0) return;
  HWND page = pages_[static_cast<std::size_t>(index)];
  if (!page) return;
  if (HWND first = GetNextDlgTabItem(page, nullptr, FALSE)) SetFocus(first);
}

void MainWindow::FollowColors() {
  if (!built_) return;
  // The common controls keep colours of their own; they are told too.
  EnumChildWindows(
      hwnd_,
      [](HWND child, LPARAM) -> BOOL {
        SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
        return TRUE;
      },
      0);
  field_brush_.reset(nullptr);
  field_brush_color_ = CLR_INVALID;
  RedrawWindow(hwnd_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

WindowId MainWindow::window_id() {
  return reinterpret_cast<WindowId>(hwnd_);
}

LRESULT CALLBACK MainWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = win32::WindowState<MainWindow>(hwnd, msg, lp);
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  // Messages arrive before CreateWindowEx returns the handle.
  if (!self->hwnd_) self->hwnd_ = hwnd;
  return self->Handle(msg, wp, lp);
}

LRESULT CALLBACK MainWindow::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = win32::WindowState<MainWindow>(hwnd, msg, lp);
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
      // Controls on pages and panels report to the main window.
      if (self) return self->Handle(msg, wp, lp);
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (self && self->hwnd_) return SendMessageW(self->hwnd_, msg, wp, lp);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT MainWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      HWND control = reinterpret_cast<HWND>(lp);
      if (!control && LOWORD(wp) == kMenuClose) {
        Guard([this] { form_->mnCloseClick(); });
        return 0;
      }
      if (!control && HIWORD(wp) == 0) {
        for (const MenuEntry& e : menu_entries_) {
          if (e.id != LOWORD(wp)) continue;
          Guard([&e] { e.item->Click(); });
          return 0;
        }
      }
      if (control && binder_ && binder_->OnCommand(control, HIWORD(wp))) return 0;
      break;
    }
    case WM_NOTIFY: {
      const auto* h = reinterpret_cast<const NMHDR*>(lp);
      if (h->hwndFrom == tabs_ && h->code == TCN_SELCHANGE) {
        int item = static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
        TCITEMW ti{};
        ti.mask = TCIF_PARAM;
        SendMessageW(tabs_, TCM_GETITEMW, item, reinterpret_cast<LPARAM>(&ti));
        TTabSheet* page = form_->Screen().PageByIndex(static_cast<int>(ti.lParam));
        Guard([this, page] { form_->Screen().PageControl1.UserSelect(page); });
        return 0;
      }
      LRESULT result = 0;
      if (binder_ && binder_->OnNotify(h, &result)) return result;
      break;
    }
    case WM_CTLCOLORSTATIC: {
      // The read-only log view keeps a white page.
      if (reinterpret_cast<HWND>(lp) == log_edit_) {
        SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      if (HBRUSH brush = ProxyColors(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)))
        return reinterpret_cast<LRESULT>(brush);
      break;
    }
    case WM_INITMENUPOPUP: {
      HMENU popup = reinterpret_cast<HMENU>(wp);
      if (popup == action_menu_) Guard([this] { form_->mnActionClick(); });
      if (popup == other_menu_) Guard([this] { form_->mnTaClick(); });
      SyncMenu(popup);
      break;
    }
    case WM_CTLCOLOREDIT:
      if (HBRUSH brush = ProxyColors(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)))
        return reinterpret_cast<LRESULT>(brush);
      break;
    case WM_SHOWWINDOW:
      if (wp && form_)
        Guard([this] {
          Build();
          form_->FormShow();
        });
      break;
    case WM_GETDPISCALEDSIZE:
    case WM_DPICHANGED:
      return Rescale(msg, wp, lp);
    // A high-contrast scheme switched on or off, or new system colours.
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      FollowColors();
      break;
    case WM_POWERBROADCAST:
      Guard([this, wp] { form_->PowerBroadcast(wp); });
      return TRUE;
    // The end of the session (log-off, shut-down) may come at any time; a
    // cycle in progress holds the answer back simply by not pumping.
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // Windows may end the process as soon as this returns: the close runs
      // here, before it.
      if (wp && form_) {
        Guard([this] { form_->FormEndSession(); });
        DestroyWindow(hwnd_);
      }
      return 0;
    case WM_CLOSE:
      Guard([this] { form_->FormCloseQuery(); });
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      pump_.quit();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace horalux
