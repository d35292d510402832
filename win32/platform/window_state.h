#pragma once
#include <windows.h>

namespace horalux::win32 {

// The object a window was created for (the CreateWindowEx parameter), kept
// with the window from its first message on; nullptr before that.
template <typename T>
T* WindowState(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace horalux::win32
