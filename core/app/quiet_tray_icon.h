#pragma once
#include <string>

#include "core/desktop/tray_icon.h"

namespace horalux {

// The notification-area icon as the run uses it: its failures are ignored
// everywhere.
class QuietTrayIcon {
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

 private:
  TTrayIcon& icon_;
};

}  // namespace horalux
