#pragma once
#include <string>

#include "core/controls/signal.h"
#include "core/engine/sntp_source.h"
#include "core/engine/time_page_client.h"
#include "core/net/proxy.h"
#include "core/platform/boxes.h"
#include "core/platform/log_view.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// The settings screen's controls that act at once: the detail tabs, the SNTP
// server choice, the standard-time page choice and the proxy box.
class ScreenHandlers {
 public:
  struct Deps {
    JikokuScreen& screen;
    SntpSource& sntp;
    LogView& log_view;
    TimePageClient& page;
    ProxyLookupPorts proxy_lookup;
    Boxes& boxes;
  };
  explicit ScreenHandlers(Deps deps);
  ScreenHandlers(const ScreenHandlers&) = delete;
  ScreenHandlers& operator=(const ScreenHandlers&) = delete;
  // Binds the handlers below to their controls' events in the window's table.
  void Bind(HandlerTable& events);

  void PageControl1Change();
  void mnHTTPClick();
  void mnSNTPClick();
  void cbSNTPAutoClick();
  void cbSNTPClick();
  void edtSNTPExit();
  void rbJapanClick();
  void rbFennick1Click();
  void rbFennick2Click();
  void cbProxyClick();
  void btnProxyGetClick();

  // The server follows the ticked box: the hand-given one, or built-in A.
  void ApplySntpServer();
  void EnableSntpServerField();
  void EnableProxyControls(bool enabled);
  // The proxy box's fields into the page's client; none when it is not ticked.
  void ApplyProxy();
  // The selected source's page, as its button's handler sets it.
  void ApplySelectedTimePage();
  // The browser's proxy for the selected page; raises what GetProxy raises.
  TProxy ReadBrowserProxy();

 private:
  Deps d_;
};

}  // namespace horalux
