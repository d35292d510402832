#pragma once
#include <string>

namespace horalux {

// The run state the main window object holds; the resident run and the
// close sequence share it.
struct RunState {
  // Run control.
  bool residentMode = false;
  bool noDelay = false;
  bool askStartupAtClose = false;
  bool closing = false;
  bool firstShow = true;
  // The start-up sequence ended early on an unexpected failure.
  bool startupFailed = false;

  // Resident run.
  bool abortRequested = false;
  bool displayRequested = false;
  bool showWindowAfterFailure = false;
  int countdown = 0;

  // Checkpoints of the start-up, written to the log only after an
  // unexpected failure of a resident run.
  std::string startupTrace;
  // Records a checkpoint: "-" and the label.
  void Record(const std::string& label) { startupTrace += "-" + label; }
};

}  // namespace horalux
