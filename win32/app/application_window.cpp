#include "win32/app/application_window.h"

#include "win32/platform/wide.h"
#include "win32/platform/window_class.h"
#include "win32/platform/window_state.h"

namespace horalux {
namespace {
constexpr wchar_t kClass[] = L"TApplication";
// Sent by a second copy: show the main window in front.
constexpr UINT kComeForward = WM_APP + 1;
}  // namespace

ApplicationWindow::ApplicationWindow() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = kClass;
  win32::RegisterWindowClass(wc);
  // Not a message-only window: other processes must find it with FindWindow.
  hwnd_ = win32::CreateWindowOrThrow(WS_EX_TOOLWINDOW, kClass, WS_POPUP, nullptr, this);
  // An elevated copy (the one setup hands over to, say) would otherwise never
  // hear a second copy started without elevation: Windows drops messages
  // from a lower integrity level. The message only brings a shown window forward.
  ChangeWindowMessageFilterEx(hwnd_, kComeForward, MSGFLT_ALLOW, nullptr);
}

ApplicationWindow::~ApplicationWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK ApplicationWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = win32::WindowState<ApplicationWindow>(hwnd, msg, lp);
  if (msg == kComeForward) {
    if (self && self->main_ && IsWindowVisible(self->main_)) {
      if (IsIconic(self->main_)) ShowWindow(self->main_, SW_RESTORE);
      SetForegroundWindow(self->main_);
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

namespace {
HWND FindOther(HWND self, const std::string& window_class, const std::string& title) {
  HWND other = FindWindowW(win32::Widen(window_class).c_str(), win32::Widen(title).c_str());
  return other == self ? nullptr : other;
}
}  // namespace

bool ApplicationWindow::exists(const std::string& window_class, const std::string& title) {
  return FindOther(hwnd_, window_class, title) != nullptr;
}

bool ApplicationWindow::bring_forward(const std::string& window_class, const std::string& title) {
  HWND other = FindOther(hwnd_, window_class, title);
  if (!other) return false;
  // The running copy may take the foreground only with this copy's leave.
  DWORD pid = 0;
  GetWindowThreadProcessId(other, &pid);
  if (pid) AllowSetForegroundWindow(pid);
  PostMessageW(other, kComeForward, 0, 0);
  return true;
}

void ApplicationWindow::set_application_title(const std::string& title) {
  SetWindowTextW(hwnd_, win32::Widen(title).c_str());
}

}  // namespace horalux
