#include "win32/desktop/win_taskbar.h"

#include "win32/platform/window_class.h"

namespace horalux {
namespace {
constexpr wchar_t kListenerClass[] = L"HoraluxTaskbarListener";
}  // namespace

WinTaskbar::~WinTaskbar() {
  if (listener_) DestroyWindow(listener_);
}

bool WinTaskbar::exists() {
  return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

void WinTaskbar::watch_restarts(std::function<void()> on_created) {
  on_created_ = std::move(on_created);
  if (listener_) return;
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  win32::RegisterWindowClass(kListenerClass, WndProc);
  listener_ = win32::CreateWindowOrThrow(0, kListenerClass, WS_POPUP, nullptr, nullptr);
  SetWindowLongPtrW(listener_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // The unelevated shell's broadcast is filtered out of an elevated program
  // unless the window lets it through; a refusal leaves the icon as it is.
  if (taskbar_created_)
    ChangeWindowMessageFilterEx(listener_, taskbar_created_, MSGFLT_ALLOW, nullptr);
}

// The core's handler runs from here; no exception may unwind through the
// system's window procedure frames.
LRESULT CALLBACK WinTaskbar::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<WinTaskbar*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && msg == self->taskbar_created_ && self->taskbar_created_ && self->on_created_) {
    try {
      self->on_created_();
    } catch (...) {
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace horalux
