#include "core/app/screen_handlers.h"

#include <initializer_list>
#include <string>

#include "core/net/time_page.h"
#include "core/net/time_servers.h"

namespace horalux {

ScreenHandlers::ScreenHandlers(Deps deps) : d_(deps) {
  EnableProxyControls(d_.screen.cbProxy.Checked());
}

void ScreenHandlers::Bind(HandlerTable& events) {
  JikokuScreen& s = d_.screen;
  events.Bind({
      {s.btnHTTP.OnClick, "btnHTTP.OnClick", [this] { mnHTTPClick(); }},
      {s.btnSNTP.OnClick, "btnSNTP.OnClick", [this] { mnSNTPClick(); }},
      {s.cbSNTPAuto.OnClick, "cbSNTPAuto.OnClick", [this] { cbSNTPAutoClick(); }},
      {s.cbSNTP.OnClick, "cbSNTP.OnClick", [this] { cbSNTPClick(); }},
      {s.edtSNTP.OnExit, "edtSNTP.OnExit", [this] { edtSNTPExit(); }},
      {s.rbJapan.OnClick, "rbJapan.OnClick", [this] { rbJapanClick(); }},
      {s.rbFennick1.OnClick, "rbFennick1.OnClick", [this] { rbFennick1Click(); }},
      {s.rbFennick2.OnClick, "rbFennick2.OnClick", [this] { rbFennick2Click(); }},
      {s.cbProxy.OnClick, "cbProxy.OnClick", [this] { cbProxyClick(); }},
      {s.btnProxyGet.OnClick, "btnProxyGet.OnClick", [this] { btnProxyGetClick(); }},
      {s.PageControl1.OnChange, "PageControl1.OnChange", [this] { PageControl1Change(); }},
  });
}

void ScreenHandlers::PageControl1Change() {
  if (d_.screen.PageControl1.ActivePage() == &d_.screen.tsJMemo) d_.log_view.focus();
}

void ScreenHandlers::mnHTTPClick() {
  d_.screen.tsAddress.SetTabVisible(true);
  d_.screen.PageControl1.SetActivePage(&d_.screen.tsAddress);
}

void ScreenHandlers::mnSNTPClick() {
  d_.screen.tsSNTP.SetTabVisible(true);
  d_.screen.PageControl1.SetActivePage(&d_.screen.tsSNTP);
}

// Each box sets the other to its opposite, whose handler then runs too, so the
// two always end opposite and the server follows the ticked one.
void ScreenHandlers::cbSNTPAutoClick() {
  JikokuScreen& s = d_.screen;
  d_.sntp.SetHost(s.cbSNTPAuto.Checked() ? std::string(kServerA) : s.edtSNTP.Text());
  s.cbSNTP.SetChecked(!s.cbSNTPAuto.Checked());
  EnableSntpServerField();
}

void ScreenHandlers::cbSNTPClick() {
  ApplySntpServer();
  d_.screen.cbSNTPAuto.SetChecked(!d_.screen.cbSNTP.Checked());
  EnableSntpServerField();
}

void ScreenHandlers::edtSNTPExit() {
  // Taken as typed: a wrong name shows up as the fetch error.
  if (d_.screen.cbSNTP.Checked()) d_.sntp.SetHost(d_.screen.edtSNTP.Text());
}

void ScreenHandlers::rbJapanClick() {
  d_.page.SelectPage(kJapanPageUrl);
}

void ScreenHandlers::rbFennick1Click() {
  d_.page.SelectPage(TimePageUrl(d_.screen.edtFennick1.Text()));
}

void ScreenHandlers::rbFennick2Click() {
  d_.page.SelectPage(TimePageUrl(d_.screen.edtFennick2.Text()));
}

void ScreenHandlers::ApplySelectedTimePage() {
  JikokuScreen& s = d_.screen;
  if (s.rbJapan.Checked()) rbJapanClick();
  if (s.rbFennick1.Checked()) rbFennick1Click();
  if (s.rbFennick2.Checked()) rbFennick2Click();
}

void ScreenHandlers::cbProxyClick() {
  EnableProxyControls(d_.screen.cbProxy.Checked());
  ApplyProxy();
}

void ScreenHandlers::btnProxyGetClick() {
  JikokuScreen& s = d_.screen;
  // A failure leaves the fields as they are; the caller shows it.
  TProxy proxy = ReadBrowserProxy();
  if (proxy.InUse) {
    s.edtProxy.SetText(proxy.Address);
    s.edtPort.SetText(std::to_string(proxy.Port));
    return;
  }
  d_.boxes.message("プロキシは使われておりません。");
  s.cbProxy.SetChecked(false);
  s.edtProxy.SetText("");
  s.edtPort.SetText("0");
}

void ScreenHandlers::ApplySntpServer() {
  d_.sntp.SetHost(d_.screen.cbSNTP.Checked() ? d_.screen.edtSNTP.Text() : std::string(kServerA));
}

void ScreenHandlers::EnableSntpServerField() {
  JikokuScreen& s = d_.screen;
  bool on = s.cbSNTP.Checked();
  for (TControl* c : std::initializer_list<TControl*>{&s.edtSNTP, &s.lblSNTP1, &s.lblSNTP2,
                                                      &s.lblSNTP3, &s.lblSNTP4})
    c->SetEnabled(on);
}

void ScreenHandlers::EnableProxyControls(bool enabled) {
  JikokuScreen& s = d_.screen;
  s.pnlProxy.SetEnabled(enabled);
  const TColor font = enabled ? clWindowText : clGray;
  const TColor field = enabled ? clWindow : clSilver;
  s.pnlProxy.SetFontColor(font);
  s.btnProxyGet.SetInactiveFontColor(font);
  s.edtProxy.SetColor(field);
  s.edtPort.SetColor(field);
}

void ScreenHandlers::ApplyProxy() {
  JikokuScreen& s = d_.screen;
  const bool on = s.cbProxy.Checked();
  THttpClient& http = d_.page.Client();
  http.Proxy = on ? s.edtProxy.Text() : std::string();
  http.ProxyPort = on ? StrToIntDef(s.edtPort.Text(), 0) : 0;
}

TProxy ScreenHandlers::ReadBrowserProxy() {
  return GetProxyForUrl(d_.proxy_lookup, d_.page.SelectedPageUrl());
}

}  // namespace horalux
