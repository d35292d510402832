#include "win32/dialogs/proxy_credentials_window.h"

#include <string>

#include "core/base/version.h"
#include "win32/app/fonts.h"
#include "win32/platform/dpi.h"
#include "win32/platform/handle.h"
#include "win32/platform/wide.h"
#include "win32/platform/window_state.h"

namespace horalux {

using win32::Narrow;
using win32::Widen;

namespace {

constexpr wchar_t kClassName[] = L"THoraluxProxyLogin";
constexpr int kClientWidth = 360;
constexpr int kClientHeight = 190;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr int kUserId = 101;
constexpr int kPasswordId = 102;
constexpr int kSaveId = 103;

struct LoginWindow {
  explicit LoginWindow(std::string text_) : text(std::move(text_)) {}
  std::string text;
  int dpi = 96;
  win32::UniqueGdi<HFONT> font;
  HWND user = nullptr;
  HWND password = nullptr;
  HWND save = nullptr;
  bool done = false;
  std::optional<CredentialsAnswer> answer;
};

std::string FieldText(HWND field) {
  const int length = GetWindowTextLengthW(field);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(field, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  std::string utf8 = Narrow(text);
  SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
  return utf8;
}

HWND Child(HWND parent, LoginWindow& w, const wchar_t* cls, const std::string& text, DWORD style,
           RECT r96, int id = 0, DWORD ex_style = 0) {
  const RECT r = win32::Scale(r96);
  HWND hwnd = CreateWindowExW(ex_style, cls, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                              r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr);
  if (hwnd) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(w.font.get()), FALSE);
  return hwnd;
}

RECT Rect(int x, int y, int width, int height) {
  return RECT{x, y, x + width, y + height};
}

void FormCreate(HWND hwnd, LoginWindow& w) {
  w.dpi = win32::Dpi();
  w.font.reset(CreateGothicFont(12, false, w.dpi));
  Child(hwnd, w, L"STATIC", w.text, SS_LEFT, Rect(16, 12, 328, 36));
  Child(hwnd, w, L"STATIC", "ユーザー名：", SS_LEFT, Rect(16, 62, 84, 18));
  w.user = Child(hwnd, w, L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, Rect(104, 58, 240, 22), kUserId,
                 WS_EX_CLIENTEDGE);
  Child(hwnd, w, L"STATIC", "パスワード：", SS_LEFT, Rect(16, 92, 84, 18));
  w.password = Child(hwnd, w, L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD,
                     Rect(104, 88, 240, 22), kPasswordId, WS_EX_CLIENTEDGE);
  w.save = Child(hwnd, w, L"BUTTON", "このパスワードを保存する", WS_TABSTOP | BS_AUTOCHECKBOX,
                 Rect(104, 118, 240, 20), kSaveId);
  SendMessageW(w.save, BM_SETCHECK, BST_CHECKED, 0);
  Child(hwnd, w, L"BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, Rect(172, 150, 80, 28), IDOK);
  Child(hwnd, w, L"BUTTON", "キャンセル", WS_TABSTOP | BS_PUSHBUTTON, Rect(264, 150, 80, 28),
        IDCANCEL);
  SetFocus(w.user);
}

void Rescale(HWND hwnd, LoginWindow& w, int dpi, const RECT& suggested) {
  if (dpi <= 0 || dpi == w.dpi) return;
  const int old_dpi = w.dpi;
  w.dpi = dpi;
  w.font.reset(CreateGothicFont(12, false, dpi));
  win32::RescaleWindow(hwnd, old_dpi, dpi, suggested, [&w](HWND) { return w.font.get(); });
}

LRESULT CALLBACK LoginProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* w = win32::WindowState<LoginWindow>(hwnd, msg, lp);
  if (!w) return DefWindowProcW(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_CREATE:
      FormCreate(hwnd, *w);
      return 0;
    case WM_COMMAND:
      // From the buttons, and from Enter and Esc through the dialog keys.
      if (LOWORD(wp) == IDOK && HIWORD(wp) == BN_CLICKED) {
        CredentialsAnswer answer;
        answer.credential.user = FieldText(w->user);
        answer.credential.password = FieldText(w->password);
        answer.save = SendMessageW(w->save, BM_GETCHECK, 0, 0) == BST_CHECKED;
        w->answer = std::move(answer);
        w->done = true;
      } else if (LOWORD(wp) == IDCANCEL && HIWORD(wp) == BN_CLICKED) {
        w->done = true;
      }
      return 0;
    case WM_DPICHANGED:
      Rescale(hwnd, *w, HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_CLOSE:
      w->done = true;
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      return DefWindowProcW(hwnd, msg, wp, lp);
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool RegisterLoginClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = LoginProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  return registered;
}

}  // namespace

std::optional<CredentialsAnswer> ProxyCredentialsWindow::ask(const std::string& text) {
  if (!RegisterLoginClass()) return std::nullopt;
  // A hidden main window would hide its windows too.
  HWND owner = owner_ && IsWindowVisible(owner_) ? owner_ : nullptr;
  const int width = win32::Scale(kClientWidth), height = win32::Scale(kClientHeight);
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner) GetWindowRect(owner, &around);
  const int x = (around.left + around.right - w) / 2;
  const int y = (around.top + around.bottom - h) / 2;
  LoginWindow state(text);
  HWND hwnd = CreateWindowExW(kExStyle | (owner ? 0 : WS_EX_TOPMOST), kClassName,
                              Widen(kProgramTitle).c_str(), kStyle, x, y, w, h, owner, nullptr,
                              GetModuleHandleW(nullptr), &state);
  if (!hwnd) return std::nullopt;
  const bool owner_was_enabled = owner && !EnableWindow(owner, FALSE);
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  SetFocus(state.user);
  MSG msg{};
  bool quit = false;
  while (!state.done) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      quit = true;
      break;
    }
    if (!IsDialogMessageW(hwnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // The typed password leaves the field before the window goes.
  SetWindowTextW(state.password, L"");
  if (owner_was_enabled) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  DestroyWindow(hwnd);
  if (quit) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    return std::nullopt;
  }
  return std::move(state.answer);
}

}  // namespace horalux
