#include "core/app/screen_handlers.h"

#include <initializer_list>
#include <string>

#include "core/net/time_servers.h"

namespace horalux {

ScreenHandlers::ScreenHandlers(JikokuScreen& screen, SntpSource& sntp, LogView& log_view)
    : screen_(screen), sntp_(sntp), log_view_(log_view) {
  JikokuScreen& s = screen_;
  s.btnHTTP.OnClick = [this] { mnHTTPClick(); };
  s.btnSNTP.OnClick = [this] { mnSNTPClick(); };
  s.cbSNTPAuto.OnClick = [this] { cbSNTPAutoClick(); };
  s.cbSNTP.OnClick = [this] { cbSNTPClick(); };
  s.edtSNTP.OnExit = [this] { edtSNTPExit(); };
  s.cbProxy.OnClick = [this] { cbProxyClick(); };
  s.PageControl1.OnChange = [this] { PageControl1Change(); };
  EnableProxyControls(s.cbProxy.Checked());
}

void ScreenHandlers::PageControl1Change() {
  if (screen_.PageControl1.ActivePage() == &screen_.tsJMemo) log_view_.focus();
}

void ScreenHandlers::mnHTTPClick() {
  screen_.tsAddress.SetTabVisible(true);
  screen_.PageControl1.SetActivePage(&screen_.tsAddress);
}

void ScreenHandlers::mnSNTPClick() {
  screen_.tsSNTP.SetTabVisible(true);
  screen_.PageControl1.SetActivePage(&screen_.tsSNTP);
}

// Each box sets the other to its opposite, whose handler then runs too, so the
// two always end opposite and the server follows the ticked one.
void ScreenHandlers::cbSNTPAutoClick() {
  sntp_.SetHost(screen_.cbSNTPAuto.Checked() ? std::string(kServerA) : screen_.edtSNTP.Text());
  screen_.cbSNTP.SetChecked(!screen_.cbSNTPAuto.Checked());
  EnableSntpServerField();
}

void ScreenHandlers::cbSNTPClick() {
  ApplySntpServer();
  screen_.cbSNTPAuto.SetChecked(!screen_.cbSNTP.Checked());
  EnableSntpServerField();
}

void ScreenHandlers::edtSNTPExit() {
  // Taken as typed: a wrong name shows up as the fetch error.
  if (screen_.cbSNTP.Checked()) sntp_.SetHost(screen_.edtSNTP.Text());
}

void ScreenHandlers::cbProxyClick() {
  EnableProxyControls(screen_.cbProxy.Checked());
}

void ScreenHandlers::ApplySntpServer() {
  sntp_.SetHost(screen_.cbSNTP.Checked() ? screen_.edtSNTP.Text() : std::string(kServerA));
}

void ScreenHandlers::EnableSntpServerField() {
  bool on = screen_.cbSNTP.Checked();
  for (TControl* c :
       std::initializer_list<TControl*>{&screen_.edtSNTP, &screen_.lblSNTP1, &screen_.lblSNTP2,
                                        &screen_.lblSNTP3, &screen_.lblSNTP4})
    c->SetEnabled(on);
}

void ScreenHandlers::EnableProxyControls(bool enabled) {
  screen_.pnlProxy.SetEnabled(enabled);
}

}  // namespace horalux
