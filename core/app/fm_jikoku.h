#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/app/quiet_tray_icon.h"
#include "core/app/resident_run.h"
#include "core/app/run_ports.h"
#include "core/app/run_controller.h"
#include "core/app/screen_handlers.h"
#include "core/linkcheck/checked_files.h"
#include "core/base/version.h"
#include "core/controls/timer.h"
#include "core/desktop/popup_menu.h"
#include "core/install/setup.h"
#include "core/install/startup_link.h"
#include "core/desktop/tray_icon.h"
#include "core/engine/access_log.h"
#include "core/engine/browser_proxy_precheck.h"
#include "core/engine/sntp_delay_measure.h"
#include "core/engine/sntp_source.h"
#include "core/engine/sync_engine.h"
#include "core/engine/time_page_client.h"
#include "core/net/sntp.h"
#include "core/settings/jikoku_screen.h"
#include "core/settings/settings_file.h"
#include "core/settings/settings_folder.h"

namespace horalux {

// The power-broadcast event of a PC about to suspend (PBT_APMSUSPEND).
inline constexpr std::uintptr_t kPowerSuspend = 4;

// The main window object: owns the run's controller, the screen's controls
// and every component for the whole run, wires them together and answers to
// the program's handler names; the resident run, the screen's handlers and
// the page client do the work.
class TfmJikoku {
 public:
  TfmJikoku(RunPorts ports, std::vector<std::string> params);
  TfmJikoku(const TfmJikoku&) = delete;
  TfmJikoku& operator=(const TfmJikoku&) = delete;

  // The start-up sequence, including a resident run. A failure raised by a
  // step ends the sequence there and is shown in an error box.
  void FormCreate();
  void FormShow();
  // Any close of the window; never refused.
  void FormCloseQuery();

  // Main window handlers.
  void mnCloseClick();
  // The access-log tab's "終了" closes like the menu.
  void btnCloseClick() { mnCloseClick(); }
  // A power-broadcast notification of the given kind (the notification's
  // event number): only a suspend closes the window like the menu. A laptop
  // plugged in or running low must not end a resident run's countdown, nor
  // close the window under the user's hands.
  void PowerBroadcast(std::uintptr_t kind) {
    if (kind == kPowerSuspend) mnCloseClick();
  }
  // The session ends (log-off, shut-down): the close without its boxes, as
  // nobody is left to answer them. A resident run ends as its menu's abort
  // would; the settings are saved as at every close.
  void FormEndSession();
  void PageControl1Change() { handlers_.PageControl1Change(); }
  void mnHTTPClick() { handlers_.mnHTTPClick(); }
  void mnSNTPClick() { handlers_.mnSNTPClick(); }
  void cbSNTPAutoClick() { handlers_.cbSNTPAutoClick(); }
  void cbSNTPClick() { handlers_.cbSNTPClick(); }
  void edtSNTPExit() { handlers_.edtSNTPExit(); }
  void rbJapanClick() { handlers_.rbJapanClick(); }
  void rbFennick1Click() { handlers_.rbFennick1Click(); }
  void rbFennick2Click() { handlers_.rbFennick2Click(); }
  void cbProxyClick() { handlers_.cbProxyClick(); }
  // Before the "その他(&O)" menu opens: the properties item shows only on a
  // shell that has the verb.
  void mnTaClick();
  void mnPropertyClick();
  // Before the "アクション(&A)" menu opens.
  void mnActionClick();
  void mnSetupClick();

  // Menu bar entries the program acts on or adjusts.
  TMenuItem mnStartUpOn{"mnStartUpOn", "スタートアップ登録(&T)"};
  TMenuItem mnStartupOff{"mnStartupOff", "スタートアップ解除(&K)"};
  TMenuItem mnShortCutDesk{"mnShortCutDesk", "デスクトップにショートカットを作成(&D)"};
  TMenuItem mnHTTP{"mnHTTP", "HTTP設定"};
  TMenuItem mnSNTP{"mnSNTP", "SNTP設定"};
  TMenuItem mnSetup{"mnSetup", "セットアップ"};
  // The view's part: runs the setup window modally over the main window.
  std::function<void(TfmSetup&)> ShowSetupWindow;
  // Ends the process at once, without a close request; the view's part.
  std::function<void()> EndProgram;
  void btnProxyGetClick() { handlers_.btnProxyGetClick(); }
  void ApplyProxy() { handlers_.ApplyProxy(); }

  // One GET of the selected standard-time page: the time it states, 0.0 when
  // none came.
  double GetHttpTime() { return page_.GetHttpTime(); }

  // Resident run.
  void QuitProgram() { resident_.QuitProgram(); }
  void SGTimer1Timer() { resident_.SGTimer1Timer(); }
  void pmnDispClick() { resident_.pmnDispClick(); }
  void pmnQuitClick() { resident_.pmnQuitClick(); }
  void PopupMenu1Popup() { resident_.PopupMenu1Popup(); }
  void TrayIcon1Click() { resident_.TrayIcon1Click(); }

  // Runs a user action; an unexpected failure is shown with its own text.
  template <typename F>
  void Guarded(F&& action) {
    try {
      action();
    } catch (const std::exception& e) {
      ports_.boxes.error(e.what());
    }
  }

  // Items of the "その他(&O)" menu whose state the program decides.
  TMenuItem mnVersion{"mnVersion", "バージョン情報(&B)"};
  TMenuItem mnProperty{"mnProperty", "プロパティ表示(&R)"};

  JikokuScreen& Screen() { return screen_; }
  StartupLink& Startup() { return startup_; }
  AccessLog& Log() { return log_; }
  SyncEngine& Engine() { return engine_; }
  SntpDelayMeasure& DelayMeasure() { return measure_; }
  TIdSNTP& IdSNTP1() { return sntp_; }
  THttpClient& HttpClient1() { return page_.Client(); }
  const std::string& SelectedPageUrl() const { return page_.SelectedPageUrl(); }
  TTrayIcon& TrayIcon1() { return tray_; }
  TPopupMenu& PopupMenu1() { return popup_; }
  TTimer& SGTimer1() { return sg_timer_; }
  const SettingsLocation& Location() const { return location_; }
  RunController& Controller() { return run_; }
  const std::string& StartupTrace() const { return run_.Trace(); }
  bool StartupFailed() const { return run_.StartupFailed(); }

 private:
  void RunStartupSteps();
  void ExamineParameters();
  void LoadSettingsStep();
  void LookUpStartupFolder();
  void ApplySelectedTimePage();
  void OfferSetup();
  void AskStartupRegistration();
  // The steps every close ends with; `boxes` shows what goes wrong.
  void CloseSteps(Boxes& boxes);
  void SaveSettings(Boxes& boxes);
  // Ends without a close request, taking the icon along: an ended program's
  // icon would stay until the pointer passes over it.
  void EndAtOnce();

  RunController run_;
  RunPorts ports_;
  std::vector<std::string> params_;
  JikokuScreen screen_;
  StartupTask task_;
  StartupLink startup_;
  TTimer sg_timer_;
  SettingsLocation location_;
  // Everything kept in the settings folder, and what is brought into it.
  CheckedFiles settings_files_;
  // "Readme.txt" beside the program, taken as it was at the start.
  std::unique_ptr<OpenedFile> source_readme_;
  SettingsFile settings_file_;
  AccessLog log_;
  TIdSNTP sntp_;
  SntpSourceOf<TIdSNTP> sntp_source_;
  TimePageClient page_;
  BrowserProxyPrecheck proxy_precheck_;
  TPopupMenu popup_;
  TMenuItem& pmnDisp_;
  TMenuItem& pmnQuit_;
  TTrayIcon tray_;
  QuietTrayIcon icon_;
  SyncEngine engine_;
  SntpDelayMeasure measure_;
  ScreenHandlers handlers_;
  WindowHandOver window_;
  ResidentRun resident_;
  // The window's own handlers, bound once. Last, so that they are unbound
  // before anything they call into goes.
  HandlerTable events_{"fmJikoku"};
};

// The parameter flag a parameter sets: its second character (UTF-8, not
// byte), compared case-sensitively with 'R', 'N' and 'A'; 0 for none.
char ParameterFlag(const std::string& param);

}  // namespace horalux
