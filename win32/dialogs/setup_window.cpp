#include "win32/dialogs/setup_window.h"

#include <commctrl.h>

#include "win32/app/fonts.h"
#include "win32/platform/dpi.h"
#include "win32/platform/wide.h"
#include "win32/platform/window_state.h"

namespace horalux {

using win32::Widen;

namespace {
constexpr wchar_t kClassName[] = L"TfmSetup";
constexpr int kClientWidth = 429;
constexpr int kClientHeight = 313;
// Not clipping its children: a group box leaves its inside for the window to paint.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

RECT Rect(int x, int y, int w, int h) {
  return ControlBinder::Rect(x, y, w, h);
}
}  // namespace

SetupWindow::SetupWindow(HWND owner, TfmSetup& form) : owner_(owner), form_(form) {}

void SetupWindow::ShowModal(HWND owner, TfmSetup& form) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = WndProc;
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // fails harmlessly when already registered

  if (!form.EndProgram) form.EndProgram = [] { ExitProcess(0); };
  SetupWindow window(owner, form);
  const int client_w = win32::Scale(kClientWidth), client_h = win32::Scale(kClientHeight);
  RECT r{0, 0, client_w, client_h};
  AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
  const int w = r.right - r.left, h = r.bottom - r.top;
  RECT centre_of{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner) GetWindowRect(owner, &centre_of);
  const int x = (centre_of.left + centre_of.right - w) / 2;
  const int y = (centre_of.top + centre_of.bottom - h) / 2;
  window.hwnd_ = CreateWindowExW(kExStyle, kClassName, L"Horaluxセットアップ", kStyle, x, y, w, h,
                                 owner, nullptr, inst, &window);
  if (!window.hwnd_) return;
  window.Build();
  form.SelectTargetField = [&window] {
    SendMessageW(window.target_field_, EM_SETSEL, 0, -1);
    SetFocus(window.target_field_);
  };
  form.CloseWindow = [&window] { PostMessageW(window.hwnd_, WM_CLOSE, 0, 0); };

  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(window.hwnd_, SW_SHOW);
  MSG msg;
  bool quit = false;
  while (IsWindow(window.hwnd_)) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      quit = true;
      break;
    }
    if (!IsDialogMessageW(window.hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (owner) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  if (IsWindow(window.hwnd_)) DestroyWindow(window.hwnd_);
  form.SelectTargetField = nullptr;
  form.CloseWindow = nullptr;
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
}

void SetupWindow::Build() {
  dpi_ = win32::Dpi();
  font_.reset(CreateGothicFont(12, false, dpi_));
  heading_font_.reset(CreateGothicFont(16, false, dpi_));
  binder_ = std::make_unique<ControlBinder>(font_, [this](const std::function<void()>& act) {
    try {
      act();
    } catch (const std::exception& e) {
      MessageBoxW(hwnd_, Widen(e.what()).c_str(), L"Horalux", MB_OK | MB_ICONERROR);
    }
  });
  ControlBinder& b = *binder_;
  heading_ = b.Label(form_.Label15, hwnd_, Rect(16, 12, 397, 24));
  SendMessageW(heading_, WM_SETFONT, reinterpret_cast<WPARAM>(heading_font_.get()), FALSE);
  b.StaticText("現在の起動フォルダ", hwnd_, Rect(16, 48, 397, 16));
  b.Edit(form_.edtKidouS, hwnd_, Rect(16, 66, 397, 22), ES_READONLY);
  b.StaticText("セットアップの場所（規定値推奨）", hwnd_, Rect(16, 100, 397, 16));
  target_field_ = b.Edit(form_.edtSetup, hwnd_, Rect(16, 118, 365, 22));
  // The folder button has no action; it only carries its hint.
  RECT fr = win32::Scale(Rect(385, 118, 28, 22));
  HWND folder = CreateWindowExW(0, L"BUTTON", L"…", WS_CHILD | WS_VISIBLE | WS_TABSTOP, fr.left,
                                fr.top, fr.right - fr.left, fr.bottom - fr.top, hwnd_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  SendMessageW(folder, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                             hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  TTTOOLINFOW tip{};
  tip.cbSize = sizeof tip;
  tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tip.hwnd = hwnd_;
  tip.uId = reinterpret_cast<UINT_PTR>(folder);
  wchar_t hint[] = L"フォルダを選択します";
  tip.lpszText = hint;
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tip));
  b.GroupBox(" アクション ", hwnd_, Rect(16, 152, 397, 84));
  b.Radio(form_.rbUwagaki, hwnd_, Rect(30, 174, 375, 22), true);
  b.Radio(form_.rbNewSetup, hwnd_, Rect(30, 202, 375, 22), false);
  setup_button_ = b.Button(form_.btnSetup, hwnd_, Rect(226, 266, 90, 30));
  SendMessageW(setup_button_, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  b.Button(form_.btnClose, hwnd_, Rect(323, 266, 90, 30));
}

void SetupWindow::Rescale(int dpi, const RECT& suggested) {
  if (dpi <= 0 || dpi == dpi_) return;
  const int old_dpi = dpi_;
  dpi_ = dpi;
  font_.reset(CreateGothicFont(12, false, dpi));
  heading_font_.reset(CreateGothicFont(16, false, dpi));
  win32::RescaleWindow(hwnd_, old_dpi, dpi, suggested, [this](HWND child) {
    return child == heading_ ? heading_font_.get() : font_.get();
  });
}

LRESULT SetupWindow::DefaultButton() const {
  HWND button = setup_button_;
  HWND focus = GetFocus();
  if (focus && GetParent(focus) == hwnd_ &&
      (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
    button = focus;
  if (!button) return 0;
  return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
}

LRESULT CALLBACK SetupWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  SetupWindow* self = win32::WindowState<SetupWindow>(hwnd, msg, lp);
  switch (msg) {
    case DM_GETDEFID:
      if (self) return self->DefaultButton();
      break;
    case WM_COMMAND:
      // Esc reaches the window as the cancel command: it closes as "閉じる" does.
      if (!lp && LOWORD(wp) == IDCANCEL) {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
      }
      if (self && self->binder_ && lp)
        self->binder_->OnCommand(reinterpret_cast<HWND>(lp), HIWORD(wp));
      return 0;
    case WM_NOTIFY:
      if (self && self->binder_) {
        LRESULT result = 0;
        if (self->binder_->OnNotify(reinterpret_cast<NMHDR*>(lp), &result)) return result;
      }
      break;
    case WM_DPICHANGED:
      if (self) self->Rescale(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_CLOSE:
      if (self && self->owner_) EnableWindow(self->owner_, TRUE);
      DestroyWindow(hwnd);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace horalux
