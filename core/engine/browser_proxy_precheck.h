#pragma once
#include <functional>

#include "core/engine/proxy_precheck.h"
#include "core/net/proxy.h"
#include "core/platform/boxes.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// Looks at the browser's proxy before every cycle: by SNTP a proxy usually
// blocks the time servers, so the user is offered HTTP through that proxy;
// by HTTP the proxy box follows what the browser uses.
class BrowserProxyPrecheck : public ProxyPrecheck {
 public:
  BrowserProxyPrecheck(JikokuScreen& screen, Boxes& boxes, std::function<TProxy()> get_proxy,
                       std::function<bool()> window_shown, std::function<void()> focus_rbHTTP,
                       std::function<void()> apply_proxy);
  Outcome Run() override;

 private:
  // Puts the found proxy into the fields where they differ from it.
  void FillFields(const TProxy& proxy);

  JikokuScreen& screen_;
  Boxes& boxes_;
  std::function<TProxy()> get_proxy_;
  std::function<bool()> window_shown_;
  std::function<void()> focus_rbHTTP_;
  std::function<void()> apply_proxy_;
};

}  // namespace horalux
