#pragma once
#include <string>

#include "core/desktop/tray_icon.h"
#include "core/engine/cycle_icon.h"

namespace horalux {

// The notification-area icon as the run uses it: its failures are ignored
// everywhere.
class QuietTrayIcon : public CycleIcon {
 public:
  explicit QuietTrayIcon(TTrayIcon& icon) : icon_(icon) {}
  void SetVisible(bool visible) {
    try {
      icon_.SetVisible(visible);
    } catch (const ENotifyIconError&) {
    }
  }
  void SetTip(const std::string& tip) {
    try {
      icon_.SetTipHelp(tip);
    } catch (const ENotifyIconError&) {
    }
  }
  void Remove() { icon_.Remove(); }
  void TaskbarCreated() {
    try {
      icon_.TaskbarCreated();
    } catch (const ENotifyIconError&) {
    }
  }
  void ShowWithTip(const std::string& tip) override {
    SetTip(tip);
    SetVisible(true);
  }

 private:
  TTrayIcon& icon_;
};

}  // namespace horalux
