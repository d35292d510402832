#include "win32/dialogs/proxy_credentials_window.h"

#include <stdexcept>
#include <string>

#include "core/base/version.h"
#include "win32/app/fonts.h"
#include "win32/platform/handle.h"
#include "win32/platform/modal_window.h"
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
  LoginWindow(std::string text_, DWORD ex_style)
      : text(std::move(text_)),
        layout(
            [](int dpi) {
              return SIZE{MulDiv(kClientWidth, dpi, 96), MulDiv(kClientHeight, dpi, 96)};
            },
            kStyle, ex_style, false) {}
  std::string text;
  win32::WindowDpi layout;
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
  const RECT r = w.layout.Scale(r96);
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
  w.layout.Take(hwnd);
  w.font.reset(CreateGothicFont(12, false, w.layout.dpi()));
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

LRESULT CALLBACK LoginProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* w = win32::WindowState<LoginWindow>(hwnd, msg, lp);
  if (!w) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  if (w->layout.OnMessage(
          hwnd, msg, wp, lp, &result,
          [w](int dpi) { w->font.reset(CreateGothicFont(12, false, dpi)); },
          [w](HWND) { return w->font.get(); }))
    return result;
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

}  // namespace

std::optional<CredentialsAnswer> ProxyCredentialsWindow::ask(const std::string& text) {
  // A hidden main window would hide its windows too: without it the window
  // stays above every other.
  HWND owner = owner_ && IsWindowVisible(owner_) ? owner_ : nullptr;
  LoginWindow state(text, kExStyle | (owner ? 0 : WS_EX_TOPMOST));
  HWND hwnd = nullptr;
  try {
    hwnd = win32::CreateOwnedWindow(kClassName, LoginProc, Widen(kProgramTitle).c_str(),
                                    state.layout, owner, &state);
  } catch (const std::runtime_error&) {
    return std::nullopt;  // asked nothing: the proxy's refusal stands
  }
  win32::ModalWindow modal(hwnd, owner);
  const bool running = modal.Run({.done = [&state] { return state.done; }, .focus = state.user});
  // The typed password leaves the field before the window goes.
  SetWindowTextW(state.password, L"");
  if (!running) return std::nullopt;
  return std::move(state.answer);
}

}  // namespace horalux
