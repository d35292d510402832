#pragma once
#include <windows.h>

#include "core/platform/beeper.h"
#include "core/platform/clipboard.h"

namespace horalux::win32 {

// The system clipboard's Unicode text, held in the name of a window of the
// program: emptied without an owner, the clipboard takes no new text.
class WinClipboard : public Clipboard {
 public:
  explicit WinClipboard(HWND owner = nullptr) : owner_(owner) {}
  // The window that owns what this puts on the clipboard; until there is
  // one, copying puts nothing there.
  void set_owner(HWND owner) { owner_ = owner; }
  bool has_text() override;
  std::string text() override;
  void set_text(const std::string& text) override;

 private:
  HWND owner_;
};

// The default system sound.
class WinBeeper : public Beeper {
 public:
  void beep() override { MessageBeep(MB_OK); }
};

}  // namespace horalux::win32
