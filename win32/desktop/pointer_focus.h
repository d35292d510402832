#pragma once
#include "core/platform/pointer_focus.h"

namespace horalux {

// The pointer and the foreground through GetCursorPos, GetActiveWindow and
// SetForegroundWindow.
class WinPointerFocus : public PointerFocus {
 public:
  ScreenPoint pointer_position() override;
  WindowId active_window() override;
  void bring_to_foreground(WindowId window) override;
};

}  // namespace horalux
