#include "core/app/fm_jikoku.h"

#include <exception>

#include "core/base/path_text.h"
#include "core/desktop/file_properties.h"
#include "core/desktop/safeguard.h"
#include "core/settings/settings_file.h"

namespace horalux {
namespace {
constexpr int kWatchdogTimerId = 1;
constexpr int kMainWindowReceiveTimeout = 1000;

// Boxes nobody sees: a question takes its default answer.
class NoBoxes : public Boxes {
 public:
  void message(const std::string&) override {}
  bool question(const std::string&, const std::string&, bool yes_is_default) override {
    return yes_is_default;
  }
  void error(const std::string&) override {}
  void notice(Icon, const std::string&, const std::string&) override {}
};
}  // namespace

char ParameterFlag(const std::string& param) {
  // Parameters are UTF-8: the second character begins after the first one's
  // continuation bytes, so "－R" counts as "-R" does.
  std::size_t second = 1;
  while (second < param.size() && (static_cast<unsigned char>(param[second]) & 0xC0) == 0x80)
    ++second;
  if (second >= param.size()) return 0;
  for (char flag : {'R', 'N', 'A'})
    if (param[second] == flag) return flag;
  return 0;
}

TfmJikoku::TfmJikoku(RunPorts ports, std::vector<std::string> params)
    : ports_(ports),
      params_(std::move(params)),
      task_({ports.token, ports.tasks, ports.launcher, ports.security, ports.clock}, ports.shell,
            ports.files),
      startup_(ports.shell, settings_files_, ports.boxes, screen_.cbStartup, screen_.cbMainichi,
               task_),
      sg_timer_(ports.pump, kWatchdogTimerId, 10000),
      // An elevated run's power must reach no file that an unelevated
      // program of the user has redirected.
      settings_files_(ports.files, ports.handles, ports.token.elevation() == Elevation::Elevated),
      source_readme_(
          settings_files_.OpenChecked(FolderPartOf(ports.files.executable_path()) + kReadmeName)),
      settings_file_(settings_files_, ports.codec),
      log_(
          {settings_files_, ports.codec, ports.clock, ports.locale, ports.log_view}, screen_,
          [this] { return location_.readOnlyMedium; }, [this] { return run_.Closing(); }),
      sntp_(ports.network, ports.clock),
      sntp_source_(sntp_),
      page_(ports.tcp, ports.pump, ports.clock, settings_files_, location_, ports.proxy_auth),
      proxy_precheck_(
          screen_, ports.boxes, [this] { return handlers_.ReadBrowserProxy(); },
          [this] { return ports_.host.shown(); }, [this] { screen_.rbHTTP.SetFocus(); },
          [this] { handlers_.ApplyProxy(); }),
      popup_("PopupMenu1"),
      pmnDisp_(popup_.Add("pmnDisp", "アクセス記録表示(&D)")),
      pmnQuit_(popup_.Add("pmnQuit", "中止＆終了(&X)")),
      tray_({ports.notify_shell, ports.pointer_focus, ports.clock, ports.pump, ports.codec},
            ports.host.window_id()),
      icon_(tray_),
      engine_({ports.clock, ports.boxes, ports.locale, screen_, log_, sntp_source_, sg_timer_, run_,
               icon_},
              {&page_, &proxy_precheck_}),
      measure_({ports.network, ports.clock, ports.pump, ports.boxes, screen_,
                [this] { return engine_.busy; }}),
      handlers_({screen_,
                 sntp_source_,
                 ports.log_view,
                 page_,
                 {ports.registry, ports.codec, ports.proxy_script, ports.clock, ports.pump},
                 ports.boxes}),
      window_({ports.token, ports.shell, ports.files, ports.clock, ports.boxes, ports.host}),
      resident_({ports.clock, ports.pump, ports.boxes, screen_, log_, engine_, sg_timer_, icon_,
                 pmnDisp_, run_, ports.taskbar, window_}) {
  sntp_.SetReceiveTimeout(kMainWindowReceiveTimeout);
  sntp_.SetPort(TIdSNTP::kDefaultPort);

  tray_.SetTipHelp("　Horalux　：　時刻取得中　");
  tray_.RBPopupMenu = &popup_;
  ports.taskbar.watch_restarts([this] { icon_.TaskbarCreated(); });
  startup_.OpenSetup = [this] { mnSetupClick(); };

  JikokuScreen& s = screen_;
  events_.Bind({
      {tray_.OnClick, "TrayIcon1.OnClick", [this](TTrayIcon&) { TrayIcon1Click(); }},
      {popup_.OnPopup, "PopupMenu1.OnPopup", [this] { PopupMenu1Popup(); }},
      {sg_timer_.OnTimer, "SGTimer1.OnTimer", [this] { SGTimer1Timer(); }},
      {s.btnClose.OnClick, "btnClose.OnClick", [this] { btnCloseClick(); }},
      {s.btnFirst.OnClick, "btnFirst.OnClick", [this] { log_.btnFirstClick(); }},
      {s.btnBottom.OnClick, "btnBottom.OnClick", [this] { log_.btnBottomClick(); }},
      {s.btnJikkou.OnClick, "btnJikkou.OnClick", [this] { engine_.btnJikkouClick(); }},
      {s.btnSokutei.OnClick, "btnSokutei.OnClick", [this] { measure_.btnSokuteiClick(); }},
      // A cycle and a measurement never run inside each other.
      {engine_.OnBusyChange, "SyncEngine.OnBusyChange",
       [this] { screen_.btnSokutei.SetEnabled(!engine_.busy && !measure_.Measuring()); }},
      // Ticking the box by program (loading, registering) must not register.
      {s.cbStartup.OnMouseUp, "cbStartup.OnMouseUp", [this] { startup_.cbStartupMouseUp(); }},
      {s.cbStartup.OnKeyToggle, "cbStartup.OnKeyToggle", [this] { startup_.cbStartupKeyToggle(); }},
      {s.cbMainichi.OnMouseUp, "cbMainichi.OnMouseUp", [this] { startup_.cbMainichiToggle(); }},
      {s.cbMainichi.OnKeyToggle, "cbMainichi.OnKeyToggle", [this] { startup_.cbMainichiToggle(); }},
      {mnStartUpOn.OnClick, "mnStartUpOn.OnClick", [this] { startup_.RegisterStartup(); }},
      {mnStartupOff.OnClick, "mnStartupOff.OnClick", [this] { startup_.UnregisterStartup(); }},
      {mnShortCutDesk.OnClick, "mnShortCutDesk.OnClick",
       [this] { startup_.CreateDesktopShortcut(); }},
      {mnHTTP.OnClick, "mnHTTP.OnClick", [this] { mnHTTPClick(); }},
      {mnSNTP.OnClick, "mnSNTP.OnClick", [this] { mnSNTPClick(); }},
      {mnSetup.OnClick, "mnSetup.OnClick", [this] { mnSetupClick(); }},
      {mnProperty.OnClick, "mnProperty.OnClick", [this] { mnPropertyClick(); }},
      {pmnDisp_.OnClick, "pmnDisp.OnClick", [this] { Guarded([this] { pmnDispClick(); }); }},
      {pmnQuit_.OnClick, "pmnQuit.OnClick", [this] { Guarded([this] { pmnQuitClick(); }); }},
  });
  handlers_.Bind(events_);
}

void TfmJikoku::FormCreate() {
  try {
    RunStartupSteps();
  } catch (const std::exception& e) {
    run_.FailStartup();
    ports_.boxes.error(e.what());
  }
}

void TfmJikoku::RunStartupSteps() {
  // 1. The short date format "yyyy/mm/dd" is the one the log header writes.
  // 2. and 3.
  run_.BeginStartup("[" + FolderPartOf(ports_.files.executable_path()) + "]" + "\r\n");
  // 4.
  // The log path follows the chosen folder even when the step fails after choosing it.
  try {
    ResolveSettingsFolder(settings_files_, ports_.codec, ports_.boxes, ports_.shell, location_,
                          [this](const std::string& folder, const std::string& name, int count) {
                            MoveToSafeGuard(settings_files_, ports_.boxes, folder, name, count);
                          });
  } catch (...) {
    log_.logFilePath = location_.logFile;
    throw;
  }
  log_.logFilePath = location_.logFile;
  mnSetup.Visible = !location_.hideSetupMenu;
  // 5.
  engine_.TakeClockAnchor();
  // 6.
  LookUpStartupFolder();
  // 7.
  run_.ResetForParameters();
  screen_.tsSNTP.SetTabVisible(false);
  screen_.tsAddress.SetTabVisible(false);
  // 8.
  ExamineParameters();
  // 9. Before the settings, so the line limit does not cut what is loaded.
  log_.LoadAtStartup();
  // 10.
  LoadSettingsStep();
  // 11.
  run_.Note(std::to_string(screen_.udChien.Position()) + "\r\n");
  // 12.
  ApplySelectedTimePage();
  // 13. A run that an earlier release's task started moves that task first.
  if (run_.IsResidentRun()) task_.MoveFromRootFolder();
  if (run_.IsResidentRun() && resident_.Run()) return;
  // 14. A copy that a resident run started in its place opens where that
  // run would have.
  screen_.PageControl1.SetActivePage(
      HandedOverPage(params_) == WindowPage::Log ? &screen_.tsJMemo : &screen_.tsJikoku);
  icon_.SetTip(kTitleWithVersion);
}

void TfmJikoku::ExamineParameters() {
  for (const std::string& param : params_) run_.TakeParameter(ParameterFlag(param));
}

void TfmJikoku::LoadSettingsStep() {
  LoadedSettingsHooks hooks;
  hooks.SelectPage = [this](int page) { SelectLoadedPage(screen_, page); };
  hooks.ApplyProxy = [this] {
    handlers_.EnableProxyControls(screen_.cbProxy.Checked());
    handlers_.ApplyProxy();
  };
  hooks.EnableSNTPServerField = [this] { handlers_.EnableSntpServerField(); };
  hooks.ApplySNTPServer = [this] { handlers_.ApplySntpServer(); };
  settings_file_.Load(location_.settingsFile, screen_, hooks);
  screen_.cbStartup.SetChecked(startup_.IsStartupRegistered());
  startup_.ShowDailyRun();
}

void TfmJikoku::FormShow() {
  // The first showing brings every spin value into its range.
  if (run_.FirstShow()) screen_.ClampSpinFields();
  log_.btnBottomClick();
  icon_.SetVisible(true);
  if (run_.FirstShow()) {
    run_.FirstShowDone();
    if (FindElevatedRequest(params_) == ElevatedRequest::OpenSetup)
      mnSetupClick();
    else
      OfferSetup();
  }
}

void TfmJikoku::FormCloseQuery() {
  // A measurement ends without a word and leaves the fine adjustment as it was.
  measure_.Stop();
  // A fetch waiting for the network ends at once instead of at its time-out.
  page_.Cancel();
  if (run_.IsResidentRun()) pmnQuitClick();
  if (run_.AsksStartupAtClose()) AskStartupRegistration();
  CloseSteps(ports_.boxes);
}

void TfmJikoku::FormEndSession() {
  measure_.Stop();
  page_.Cancel();
  if (run_.IsResidentRun() && !engine_.busy) {
    run_.RequestAbort();
    QuitProgram();
  }
  NoBoxes unseen;
  CloseSteps(unseen);
}

void TfmJikoku::CloseSteps(Boxes& boxes) {
  icon_.SetVisible(false);
  SaveSettings(boxes);
  run_.BeginClose();
}

void TfmJikoku::SaveSettings(Boxes& boxes) {
  settings_file_.Save(screen_, {kProgramVersion, location_.programFolder}, location_.readOnlyMedium,
                      boxes);
}

void TfmJikoku::EndAtOnce() {
  icon_.Remove();
  if (EndProgram)
    EndProgram();
  else
    ports_.pump.quit();
}

void TfmJikoku::LookUpStartupFolder() {
  startup_.LookUpStartupFolder();
}

void TfmJikoku::ApplySelectedTimePage() {
  handlers_.ApplySelectedTimePage();
}

void TfmJikoku::OfferSetup() {
  horalux::OfferSetup(ports_.boxes, kProgramVersion, location_.readOnlyMedium,
                      location_.offerSetupAtFirstShow, [this] { mnSetupClick(); });
}

void TfmJikoku::AskStartupRegistration() {
  startup_.AskStartupAtClose();
}

void TfmJikoku::mnActionClick() {
  const bool registered = startup_.IsStartupRegistered();
  mnStartUpOn.Enabled = !registered;
  mnStartupOff.Enabled = registered;
}

void TfmJikoku::mnSetupClick() {
  const SetupPorts setup_ports{settings_files_, ports_.shell, ports_.boxes,
                               ports_.clock,    ports_.codec, task_};
  switch (
      ChooseSetupAccess(setup_ports, location_.folder, [this] { SaveSettings(ports_.boxes); })) {
    case SetupAccess::Stopped:
      return;
    case SetupAccess::Restarted:
      EndAtOnce();
      return;
    case SetupAccess::OpenHere:
      break;
  }
  TfmSetup setup(setup_ports, kProgramVersion);
  setup.EndProgram = [this] { EndAtOnce(); };
  setup.SourceReadme = source_readme_.get();
  // The copy that asked for elevation waits for this one and hands over;
  // this one only installs and ends, leaving no elevated window behind.
  const bool for_waiting_copy = FindElevatedRequest(params_) == ElevatedRequest::OpenSetup;
  // Written through the checked settings folder: this copy is elevated, and
  // the folder is the user's to redirect.
  if (for_waiting_copy)
    setup.LeaveResult = [this](const std::string& target_folder) {
      return settings_files_.write(location_.folder + kSetupResultName, target_folder);
    };
  if (ShowSetupWindow) ShowSetupWindow(setup);
  if (for_waiting_copy) EndAtOnce();
}

void TfmJikoku::mnTaClick() {
  mnProperty.Visible = ShellShowsProperties(ports_.shell);
}

void TfmJikoku::mnPropertyClick() {
  ShowFileProperties(ports_.shell, ports_.boxes, ports_.files.executable_path(),
                     static_cast<std::uintptr_t>(ports_.host.window_id()));
}

void TfmJikoku::mnCloseClick() {
  ports_.host.close_window();
}

}  // namespace horalux
