#pragma once
#include <windows.h>

#include <functional>

#include "win32/platform/dpi.h"

namespace horalux::win32 {

// A small window of class `cls` (registered with `proc` the first time, on
// the button face with the arrow pointer), owned by and centred over
// `owner` (the screen without one), laid out by `layout` at the
// resolution of the monitor it opens on; hidden until it runs. Its
// procedure gets `param`. Raises std::runtime_error with the system's
// reason when Windows makes none.
HWND CreateOwnedWindow(const wchar_t* cls, WNDPROC proc, const wchar_t* title, WindowDpi& layout,
                       HWND owner, void* param);

// How a modal window runs.
struct ModalRun {
  // Asked after each message; true ends the run. The run ends also when
  // the window is gone.
  std::function<bool()> done = {};
  // Sees every message first; true when it handled it. Then the dialog
  // keys (Tab, Enter, Esc) reach the window, then the message its target.
  std::function<bool(const MSG&)> preview = {};
  // The control that has the focus when the window shows.
  HWND focus = nullptr;
};

// Runs `window` modally over `owner`: the owner takes no input while it
// runs and has its enabled state back as it was before the window goes, so
// Windows hands the activation back to it and not to another program. The
// window goes with this object if it has not gone by itself.
class ModalWindow {
 public:
  ModalWindow(HWND window, HWND owner) : window_(window), owner_(owner) {}
  ~ModalWindow();
  ModalWindow(const ModalWindow&) = delete;
  ModalWindow& operator=(const ModalWindow&) = delete;

  // Shows the window and runs its messages; false when the program was
  // asked to quit meanwhile (the request is passed on to the outer loop).
  bool Run(const ModalRun& run);
  // Closes a window from its own procedure: the owner of a running modal
  // window gets its enabled state back first.
  static void Close(HWND window);

 private:
  void GiveOwnerBack();

  HWND window_;
  HWND owner_;
  bool owner_taken_ = false;
  bool owner_was_enabled_ = false;
  ModalWindow* outer_ = nullptr;
};

}  // namespace horalux::win32
