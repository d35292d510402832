#pragma once
#include <string>
#include <vector>

#include "core/app/run_ports.h"
#include "core/app/timer.h"
#include "core/settings/jikoku_screen.h"

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

  // The start-up sequence. A failure raised by a step ends the sequence
  // there and is shown in an error box.
  void FormCreate();
  void FormShow();
  // Any close of the window; never refused.
  void FormCloseQuery();

  // Handlers.
  void mnCloseClick();
  void btnCloseClick();
  // Every power-broadcast notification closes the window like the menu.
  void PowerBroadcast();
  void PageControl1Change();

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
  TTimer& SGTimer1() { return sg_timer_; }
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
  // Whether the resident run ended with the window shown at the user's request.
  bool RunResident();

  RunPorts ports_;
  std::vector<std::string> params_;
  JikokuScreen screen_;
  TTimer sg_timer_;
  std::string program_folder_;
  std::string startup_trace_;
};

// The parameter flag a parameter sets: its second character, compared
// case-sensitively with 'R', 'N' and 'A' in that order; 0 for none.
char ParameterFlag(const std::string& param);

// The folder of a path, with its trailing "\".
std::string FolderOf(const std::string& path);

}  // namespace horalux
