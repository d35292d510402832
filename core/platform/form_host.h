#pragma once
#include "core/platform/notify_shell.h"

namespace horalux {

// The main window as the core asks things of it.
class FormHost {
 public:
  virtual ~FormHost() = default;
  // Shows the window (runs the form's show event) and brings it forward.
  virtual void show_window() = 0;
  // Asks the window to close, as its system menu would: the close event runs,
  // then the window goes and the program ends.
  virtual void close_window() = 0;
  // Whether the window is shown now.
  virtual bool shown() = 0;
  // The window as the notification shell names it.
  virtual WindowId window_id() = 0;
};

}  // namespace horalux
