#pragma once
#include <windows.h>

#include "core/platform/beeper.h"
#include "core/platform/clipboard.h"

namespace horalux::win32 {

// The system clipboard's Unicode text.
class WinClipboard : public Clipboard {
 public:
  bool has_text() override;
  std::string text() override;
  void set_text(const std::string& text) override;
};

// The default system sound.
class WinBeeper : public Beeper {
 public:
  void beep() override { MessageBeep(MB_OK); }
};

}  // namespace horalux::win32
