#include "core/app/run_controller.h"

#include <utility>

namespace horalux {

void RunController::BeginStartup(std::string trace_head) {
  closing_ = false;
  first_show_ = true;
  trace_ = std::move(trace_head);
}

void RunController::ResetForParameters() {
  phase_ = RunPhase::Window;
  no_delay_ = false;
  ask_startup_at_close_ = false;
  abort_requested_ = false;
  display_requested_ = false;
  seconds_left_ = 0;
}

void RunController::TakeParameter(char flag) {
  switch (flag) {
    case 'R':
      phase_ = RunPhase::Starting;
      break;
    case 'N':
      no_delay_ = true;
      break;
    case 'A':
      ask_startup_at_close_ = true;
      break;
    default:
      return;
  }
  Record(std::string(1, flag));
}

void RunController::StartCountdown(int seconds) {
  phase_ = RunPhase::Countdown;
  seconds_left_ = seconds;
}

void RunController::EndRun() {
  closing_ = true;
  // A window run that quits stays one: a cycle it interrupted ends as a
  // window run's would.
  if (IsResidentRun()) phase_ = RunPhase::Ending;
}

bool RunController::IsResidentRun() const {
  switch (phase_) {
    case RunPhase::Window:
    case RunPhase::WindowShown:
      return false;
    case RunPhase::Starting:
    case RunPhase::Countdown:
    case RunPhase::Synchronising:
    case RunPhase::Outcome:
    case RunPhase::Ending:
      return true;
  }
  return false;
}

}  // namespace horalux
