#pragma once
#include "core/engine/sntp_source.h"
#include "core/platform/log_view.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// The settings screen's controls that act at once: the detail tabs, the SNTP
// server choice and the proxy fields. Binds itself to their events.
class ScreenHandlers {
 public:
  ScreenHandlers(JikokuScreen& screen, SntpSource& sntp, LogView& log_view);
  ScreenHandlers(const ScreenHandlers&) = delete;
  ScreenHandlers& operator=(const ScreenHandlers&) = delete;

  void PageControl1Change();
  void mnHTTPClick();
  void mnSNTPClick();
  void cbSNTPAutoClick();
  void cbSNTPClick();
  void edtSNTPExit();
  void cbProxyClick();

  // The server follows the ticked box: the hand-given one, or built-in A.
  void ApplySntpServer();
  void EnableSntpServerField();
  void EnableProxyControls(bool enabled);

 private:
  JikokuScreen& screen_;
  SntpSource& sntp_;
  LogView& log_view_;
};

}  // namespace horalux
