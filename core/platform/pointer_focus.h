#pragma once
#include <cstdint>

namespace horalux {

// A window of this program as the core passes it around (the OS handle's
// value); 0 means no window.
using WindowId = std::uintptr_t;

// A position on the screen, in pixels from the top-left corner of the
// primary monitor; x grows to the right, y downwards.
struct ScreenPoint {
  int x = 0;
  int y = 0;
};

// Where the mouse pointer is and which window takes the keyboard: what a
// menu opened from the notification area needs to appear at the pointer and
// to close again when the user clicks elsewhere.
class PointerFocus {
 public:
  virtual ~PointerFocus() = default;
  // Where the mouse pointer is now.
  virtual ScreenPoint pointer_position() = 0;
  // The window of this thread that is active now; 0 when there is none.
  virtual WindowId active_window() = 0;
  // Brings a window to the foreground so that it takes the keyboard.
  virtual void bring_to_foreground(WindowId window) = 0;
};

}  // namespace horalux
