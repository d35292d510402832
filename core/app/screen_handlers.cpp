// The settings screen's controls that act at once.
#include "core/app/fm_jikoku.h"
#include "core/net/time_servers.h"

namespace horalux {

void TfmJikoku::mnHTTPClick() {
  screen_.tsAddress.SetTabVisible(true);
  screen_.PageControl1.SetActivePage(&screen_.tsAddress);
}

void TfmJikoku::mnSNTPClick() {
  screen_.tsSNTP.SetTabVisible(true);
  screen_.PageControl1.SetActivePage(&screen_.tsSNTP);
}

// Each box sets the other to its opposite, whose handler then runs too, so the
// two always end opposite and the server follows the ticked one.
void TfmJikoku::cbSNTPAutoClick() {
  sntp_.SetHost(screen_.cbSNTPAuto.Checked() ? std::string(kServerA) : screen_.edtSNTP.Text());
  screen_.cbSNTP.SetChecked(!screen_.cbSNTPAuto.Checked());
  EnableSntpServerField();
}

void TfmJikoku::cbSNTPClick() {
  sntp_.SetHost(screen_.cbSNTP.Checked() ? screen_.edtSNTP.Text() : std::string(kServerA));
  screen_.cbSNTPAuto.SetChecked(!screen_.cbSNTP.Checked());
  EnableSntpServerField();
}

void TfmJikoku::edtSNTPExit() {
  // Taken as typed: a wrong name shows up as the fetch error.
  if (screen_.cbSNTP.Checked()) sntp_.SetHost(screen_.edtSNTP.Text());
}

void TfmJikoku::EnableSntpServerField() {
  bool on = screen_.cbSNTP.Checked();
  for (TControl* c :
       std::initializer_list<TControl*>{&screen_.edtSNTP, &screen_.lblSNTP1, &screen_.lblSNTP2,
                                        &screen_.lblSNTP3, &screen_.lblSNTP4})
    c->SetEnabled(on);
}

void TfmJikoku::cbProxyClick() {
  EnableProxyControls(screen_.cbProxy.Checked());
}

void TfmJikoku::EnableProxyControls(bool enabled) {
  screen_.pnlProxy.SetEnabled(enabled);
}

}  // namespace horalux
