#include "win32/desktop/pointer_focus.h"

#include <windows.h>

namespace horalux {

ScreenPoint WinPointerFocus::pointer_position() {
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

WindowId WinPointerFocus::active_window() {
  return reinterpret_cast<WindowId>(GetActiveWindow());
}

void WinPointerFocus::bring_to_foreground(WindowId window) {
  SetForegroundWindow(reinterpret_cast<HWND>(window));
}

}  // namespace horalux
