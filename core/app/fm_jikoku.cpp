#include "core/app/fm_jikoku.h"

#include <exception>

#include "core/net/time_servers.h"
#include "core/base/path_text.h"
#include "core/desktop/safeguard.h"

namespace horalux {
namespace {
constexpr int kWatchdogTimerId = 1;
constexpr int kMainWindowReceiveTimeout = 1000;
}  // namespace

char ParameterFlag(const std::string& param) {
  if (param.size() < 2) return 0;
  for (char flag : {'R', 'N', 'A'})
    if (param[1] == flag) return flag;
  return 0;
}

TfmJikoku::TfmJikoku(RunPorts ports, std::vector<std::string> params)
    : ports_(ports),
      params_(std::move(params)),
      sg_timer_(ports.pump, kWatchdogTimerId, 10000),
      settings_file_(ports.files, ports.codec, ports.boxes),
      log_(
          {ports.files, ports.codec, ports.clock, ports.locale, ports.log_view}, screen_,
          [this] { return location_.readOnlyMedium; }, [this] { return closing; }),
      sntp_(ports.network, ports.clock),
      sntp_source_(sntp_),
      popup_("PopupMenu1"),
      pmnDisp_(popup_.Add("pmnDisp", "アクセス記録表示(&D)")),
      pmnQuit_(popup_.Add("pmnQuit", "中止＆終了(&X)")),
      tray_(ports.notify_shell, ports.codec, ports.host.window_id()),
      engine_({ports.clock, ports.boxes, ports.locale, screen_, log_, sntp_source_, sg_timer_,
               [this] { return residentMode; }, [this](const std::string& t) { SetIconTip(t); },
               [this](bool v) { SetIconVisible(v); }}) {
  sntp_.SetReceiveTimeout(kMainWindowReceiveTimeout);
  sntp_.SetPort(TIdSNTP::kDefaultPort);

  tray_.SetTipHelp("　Horalux　：　時刻取得中　");
  tray_.RBPopupMenu = &popup_;
  tray_.OnClick = [this](TTrayIcon&) { TrayIcon1Click(); };
  popup_.OnPopup = [this] { PopupMenu1Popup(); };
  pmnDisp_.OnClick = [this] { Guarded([this] { pmnDispClick(); }); };
  pmnQuit_.OnClick = [this] { Guarded([this] { pmnQuitClick(); }); };
  sg_timer_.OnTimer = [this] { SGTimer1Timer(); };

  JikokuScreen& s = screen_;
  s.btnClose.OnClick = [this] { btnCloseClick(); };
  s.btnFirst.OnClick = [this] { log_.btnFirstClick(); };
  s.btnBottom.OnClick = [this] { log_.btnBottomClick(); };
  s.btnJikkou.OnClick = [this] { engine_.btnJikkouClick(); };
  s.btnHTTP.OnClick = [this] { mnHTTPClick(); };
  s.btnSNTP.OnClick = [this] { mnSNTPClick(); };
  s.cbSNTPAuto.OnClick = [this] { cbSNTPAutoClick(); };
  s.cbSNTP.OnClick = [this] { cbSNTPClick(); };
  s.edtSNTP.OnExit = [this] { edtSNTPExit(); };
  s.cbProxy.OnClick = [this] { cbProxyClick(); };
  s.PageControl1.OnChange = [this] { PageControl1Change(); };
  EnableProxyControls(s.cbProxy.Checked());
}

void TfmJikoku::FormCreate() {
  try {
    RunStartupSteps();
  } catch (const std::exception& e) {
    startupFailed = true;
    ports_.boxes.error(e.what());
  }
}

void TfmJikoku::RunStartupSteps() {
  // 1. The short date format "yyyy/mm/dd" is the one the log header writes.
  // 2.
  closing = false;
  firstShow = true;
  // 3.
  startup_trace_ = "[" + FolderPartOf(ports_.files.executable_path()) + "]" + "\r\n";
  // 4.
  // The log path follows the chosen folder even when the step fails after choosing it.
  try {
    ResolveSettingsFolder(ports_.files, ports_.codec, ports_.boxes, location_,
                          [this](const std::string& folder, const std::string& name, int count) {
                            MoveToSafeGuard(ports_.files, ports_.boxes, folder, name, count);
                          });
  } catch (...) {
    log_.logFilePath = location_.logFile;
    throw;
  }
  log_.logFilePath = location_.logFile;
  // 5.
  engine_.TakeClockAnchor();
  // 6.
  LookUpStartupFolder();
  // 7.
  residentMode = false;
  noDelay = false;
  askStartupAtClose = false;
  abortRequested = false;
  displayRequested = false;
  showWindowAfterFailure = false;
  countdown = 0;
  screen_.tsSNTP.SetTabVisible(false);
  screen_.tsAddress.SetTabVisible(false);
  // 8.
  ExamineParameters();
  // 9. Before the settings, so the line limit does not cut what is loaded.
  log_.LoadAtStartup();
  // 10.
  LoadSettingsStep();
  // 11.
  startup_trace_ += std::to_string(screen_.udChien.Position()) + "\r\n";
  // 12.
  ApplySelectedTimePage();
  // 13.
  if (residentMode && RunResident()) return;
  // 14.
  screen_.PageControl1.SetActivePage(&screen_.tsJikoku);
  SetIconTip(std::string("Horalux ") + kProgramVersion);
}

void TfmJikoku::ExamineParameters() {
  for (const std::string& param : params_) {
    switch (ParameterFlag(param)) {
      case 'R':
        residentMode = true;
        Record("R");
        break;
      case 'N':
        noDelay = true;
        Record("N");
        break;
      case 'A':
        askStartupAtClose = true;
        Record("A");
        break;
      default:
        break;
    }
  }
}

void TfmJikoku::LoadSettingsStep() {
  LoadedSettingsHooks hooks;
  hooks.SelectPage = [this](int page) { SelectLoadedPage(screen_, page); };
  hooks.ApplyProxy = [this] { EnableProxyControls(screen_.cbProxy.Checked()); };
  hooks.EnableSNTPServerField = [this] { EnableSntpServerField(); };
  hooks.ApplySNTPServer = [this] {
    sntp_.SetHost(screen_.cbSNTP.Checked() ? screen_.edtSNTP.Text() : std::string(kServerA));
  };
  settings_file_.Load(location_.settingsFile, screen_, hooks);
}

void TfmJikoku::FormShow() {
  // The first showing brings every spin value into its range.
  if (firstShow) screen_.ClampSpinFields();
  log_.btnBottomClick();
  SetIconVisible(true);
  if (firstShow) {
    firstShow = false;
    OfferSetup();
  }
}

void TfmJikoku::FormCloseQuery() {
  if (residentMode) pmnQuitClick();
  if (askStartupAtClose) AskStartupRegistration();
  SetIconVisible(false);
  settings_file_.Save(screen_, {kProgramVersion, location_.programFolder},
                      location_.readOnlyMedium);
  closing = true;
}

// Points of the start-up and close sequences that belong to the start-up
// registration, the standard-time pages and the setup, which this program
// does not offer yet; they keep their places in the order.
void TfmJikoku::LookUpStartupFolder() {}
void TfmJikoku::ApplySelectedTimePage() {}
void TfmJikoku::OfferSetup() {}
void TfmJikoku::AskStartupRegistration() {}

void TfmJikoku::mnCloseClick() {
  ports_.host.close_window();
}
void TfmJikoku::btnCloseClick() {
  ports_.host.close_window();
}
void TfmJikoku::PowerBroadcast() {
  mnCloseClick();
}

void TfmJikoku::PageControl1Change() {
  if (screen_.PageControl1.ActivePage() == &screen_.tsJMemo) ports_.log_view.focus();
}

void TfmJikoku::SetIconVisible(bool visible) {
  try {
    tray_.SetVisible(visible);
  } catch (const ENotifyIconError&) {
  }
}

void TfmJikoku::SetIconTip(const std::string& tip) {
  try {
    tray_.SetTipHelp(tip);
  } catch (const ENotifyIconError&) {
  }
}

}  // namespace horalux
