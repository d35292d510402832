#include "win32/platform/modal_window.h"

#include <string>

#include "win32/platform/wide.h"
#include "win32/platform/window_class.h"

namespace horalux::win32 {
namespace {

// The innermost modal window running on this thread; each run keeps the
// one it interrupted.
thread_local ModalWindow* running = nullptr;

}  // namespace

HWND CreateOwnedWindow(const wchar_t* cls, WNDPROC proc, const wchar_t* title, WindowDpi& layout,
                       HWND owner, void* param) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // A class takes a system colour as its index plus one: a system brush may
  // not be registered with a class (GetSysColorBrush).
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = cls;
  RegisterWindowClass(wc);
  return CheckCreated(CreateScaledWindow(layout, cls, title, owner, owner, param),
                      Narrow(cls).c_str());
}

ModalWindow::~ModalWindow() {
  GiveOwnerBack();
  if (IsWindow(window_)) DestroyWindow(window_);
  if (owner_taken_ && owner_was_enabled_) SetActiveWindow(owner_);
}

bool ModalWindow::Run(const ModalRun& run) {
  outer_ = running;
  running = this;
  // EnableWindow answers whether the window was disabled before.
  owner_taken_ = owner_ != nullptr;
  owner_was_enabled_ = owner_taken_ && !EnableWindow(owner_, FALSE);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  if (run.focus) SetFocus(run.focus);
  MSG msg{};
  bool quit = false;
  while (IsWindow(window_) && !(run.done && run.done())) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      break;
    }
    if (run.preview && run.preview(msg)) continue;
    if (IsWindow(window_) && IsDialogMessageW(window_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  GiveOwnerBack();
  running = outer_;
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
  return !quit;
}

void ModalWindow::GiveOwnerBack() {
  if (!owner_taken_ || !owner_was_enabled_ || IsWindowEnabled(owner_)) return;
  EnableWindow(owner_, TRUE);
}

void ModalWindow::Close(HWND window) {
  for (ModalWindow* m = running; m; m = m->outer_)
    if (m->window_ == window) m->GiveOwnerBack();
  DestroyWindow(window);
}

}  // namespace horalux::win32
