#pragma once
#include <windows.h>

#include "core/platform/boxes.h"

namespace horalux {

// Message boxes through MessageBoxW; their modal loops keep timers running.
class WinBoxes : public Boxes {
 public:
  void message(const std::string& text) override;
  bool question(const std::string& title, const std::string& text, bool yes_is_default) override;
  void error(const std::string& text) override;
  void notice(Icon icon, const std::string& title, const std::string& text) override;
  // The window that owns the boxes (the main window once it exists).
  void set_owner(HWND owner) { owner_ = owner; }

 private:
  HWND owner_ = nullptr;
};

}  // namespace horalux
