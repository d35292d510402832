#pragma once
#include <string>
#include <vector>

#include "core/app/run_ports.h"
#include "core/app/timer.h"
#include "core/desktop/popup_menu.h"
#include "core/desktop/tray_icon.h"
#include "core/engine/access_log.h"
#include "core/engine/sntp_source.h"
#include "core/engine/sync_engine.h"
#include "core/net/sntp.h"
#include "core/settings/jikoku_screen.h"
#include "core/settings/settings_file.h"
#include "core/settings/settings_folder.h"

namespace horalux {

inline constexpr const char* kProgramTitle = "Horalux";
inline constexpr const char* kProgramVersion = "Ver0.9.9";

// The main window object: owns the run state, the screen's controls and
// every component for the whole run.
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
  void btnCloseClick();
  // Every power-broadcast notification closes the window like the menu.
  void PowerBroadcast();
  void PageControl1Change();
  void mnHTTPClick();
  void mnSNTPClick();
  void cbSNTPAutoClick();
  void cbSNTPClick();
  void edtSNTPExit();
  void cbProxyClick();

  // Resident run.
  void QuitProgram();
  void SGTimer1Timer();
  void pmnDispClick();
  void pmnQuitClick();
  void PopupMenu1Popup();
  void TrayIcon1Click();

  // Runs a user action; an unexpected failure is shown with its own text.
  template <typename F>
  void Guarded(F&& action) {
    try {
      action();
    } catch (const std::exception& e) {
      ports_.boxes.error(e.what());
    }
  }

  JikokuScreen& Screen() { return screen_; }
  AccessLog& Log() { return log_; }
  SyncEngine& Engine() { return engine_; }
  TIdSNTP& IdSNTP1() { return sntp_; }
  TTrayIcon& TrayIcon1() { return tray_; }
  TPopupMenu& PopupMenu1() { return popup_; }
  TTimer& SGTimer1() { return sg_timer_; }
  const SettingsLocation& Location() const { return location_; }
  const std::string& StartupTrace() const { return startup_trace_; }

  // Run-control state.
  bool residentMode = false;
  bool noDelay = false;
  bool askStartupAtClose = false;
  bool closing = false;
  bool firstShow = true;
  // The start-up sequence ended early on an unexpected failure.
  bool startupFailed = false;

  // Resident-run state.
  bool abortRequested = false;
  bool displayRequested = false;
  bool showWindowAfterFailure = false;
  int countdown = 0;

 private:
  void RunStartupSteps();
  // Records a start-up checkpoint: "-" and the label.
  void Record(const std::string& label) { startup_trace_ += "-" + label; }
  void ExamineParameters();
  void LoadSettingsStep();
  // Whether the start-up sequence ends with the resident run (abort, or the
  // window shown at the user's request during the countdown).
  bool RunResident();
  void LookUpStartupFolder();
  void ApplySelectedTimePage();
  void OfferSetup();
  void AskStartupRegistration();
  void EnableSntpServerField();
  void EnableProxyControls(bool enabled);
  // The icon's failures are ignored everywhere.
  void SetIconVisible(bool visible);
  void SetIconTip(const std::string& tip);

  RunPorts ports_;
  std::vector<std::string> params_;
  JikokuScreen screen_;
  TTimer sg_timer_;
  SettingsLocation location_;
  SettingsFile settings_file_;
  AccessLog log_;
  TIdSNTP sntp_;
  SntpSourceOf<TIdSNTP> sntp_source_;
  TPopupMenu popup_;
  TMenuItem& pmnDisp_;
  TMenuItem& pmnQuit_;
  TTrayIcon tray_;
  SyncEngine engine_;
  std::string startup_trace_;
};

// The parameter flag a parameter sets: its second character, compared
// case-sensitively with 'R', 'N' and 'A' in that order; 0 for none.
char ParameterFlag(const std::string& param);

}  // namespace horalux
