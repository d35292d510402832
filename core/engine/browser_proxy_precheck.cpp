#include "core/engine/browser_proxy_precheck.h"

#include <string>
#include <utility>

#include "core/base/confirm.h"

namespace horalux {
namespace {
constexpr const char* kSwitchToHttpQuestion =
    "プロキシが使われています。\r\nタイムサーバーに接続できません。\r\n\r\n"
    "HTTPプロトコルで取得しますか。";
}  // namespace

BrowserProxyPrecheck::BrowserProxyPrecheck(JikokuScreen& screen, Boxes& boxes,
                                           std::function<TProxy()> get_proxy,
                                           std::function<bool()> window_shown,
                                           std::function<void()> focus_rbHTTP,
                                           std::function<void()> apply_proxy)
    : screen_(screen),
      boxes_(boxes),
      get_proxy_(std::move(get_proxy)),
      window_shown_(std::move(window_shown)),
      focus_rbHTTP_(std::move(focus_rbHTTP)),
      apply_proxy_(std::move(apply_proxy)) {}

void BrowserProxyPrecheck::FillFields(const TProxy& proxy) {
  if (screen_.edtProxy.Text() != proxy.Address) screen_.edtProxy.SetText(proxy.Address);
  const std::string port = std::to_string(proxy.Port);
  if (screen_.edtPort.Text() != port) screen_.edtPort.SetText(port);
}

ProxyPrecheck::Outcome BrowserProxyPrecheck::Run() {
  if (screen_.cbNoCkProxy.Checked()) return Outcome::GoOn;
  const TProxy proxy = get_proxy_();
  if (!screen_.rbHTTP.Checked()) {
    if (!proxy.InUse) return Outcome::GoOn;
    if (!ConfirmYesNo(boxes_, kSwitchToHttpQuestion, true)) return Outcome::EndNow;
    screen_.rbHTTP.SetChecked(true);
    if (window_shown_()) focus_rbHTTP_();
    screen_.cbProxy.SetChecked(true);
    FillFields(proxy);
  } else if (proxy.InUse && !screen_.cbProxy.Checked()) {
    screen_.cbProxy.SetChecked(true);
    FillFields(proxy);
  } else if (!proxy.InUse && screen_.cbProxy.Checked()) {
    screen_.cbProxy.SetChecked(false);
  }
  apply_proxy_();
  return Outcome::GoOn;
}

}  // namespace horalux
