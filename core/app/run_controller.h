#pragma once
#include <string>

#include "core/engine/run_kind.h"

namespace horalux {

// Where the run stands. A start without "-R" stays a window run; a resident
// run moves down this list, leaving it for WindowShown when the user asks
// for the window, or for Ending.
enum class RunPhase {
  // The window run (and every run until its parameters are read).
  Window,
  // "-R" was given: the start-up sequence goes on into the resident run.
  Starting,
  // The start-up delay counts down behind the icon, the window hidden.
  Countdown,
  // The one cycle, under the watchdog.
  Synchronising,
  // The cycle failed: the user is asked whether to see the window.
  Outcome,
  // The resident run gave way to the window.
  WindowShown,
  // The resident run ends: the icon goes and the program quits.
  Ending,
};

// The run's state, shared by the start-up sequence, the resident run and
// the close, changed only through the transitions named here.
class RunController : public RunKind {
 public:
  // The start-up sequence begins: the trace starts with `trace_head`.
  void BeginStartup(std::string trace_head);
  // Back to a window run with no parameter taken and no request pending.
  void ResetForParameters();
  // A parameter's flag ('R', 'N', 'A'), recorded in the trace; others do nothing.
  void TakeParameter(char flag);
  // An unexpected failure ended the start-up sequence.
  void FailStartup() { startup_failed_ = true; }
  // The first showing of the window has been handled.
  void FirstShowDone() { first_show_ = false; }

  // Resident run.
  void StartCountdown(int seconds);
  // One second passed; the seconds left.
  int Tick() { return --seconds_left_; }
  void BeginCycle() { phase_ = RunPhase::Synchronising; }
  void CycleFailed() { phase_ = RunPhase::Outcome; }
  // The window is shown in place of the rest of the resident run.
  void GiveWayToWindow() { phase_ = RunPhase::WindowShown; }
  // The user asked to end at once: no pause before the program quits.
  void RequestAbort() { abort_requested_ = true; }
  // The user asked for the access log during the countdown.
  void RequestDisplay() { display_requested_ = true; }
  // The program quits; a resident run ends with it.
  void EndRun();
  // The close has begun: nothing more is written to the log.
  void BeginClose() { closing_ = true; }

  // Checkpoints of the start-up, written to the log only after an unexpected
  // failure of a resident run: Record adds "-" and the label, Note the text.
  void Record(const std::string& label) { trace_ += "-" + label; }
  void Note(const std::string& text) { trace_ += text; }

  RunPhase Phase() const { return phase_; }
  bool IsResidentRun() const override;
  bool NoDelay() const { return no_delay_; }
  bool AsksStartupAtClose() const { return ask_startup_at_close_; }
  bool AbortRequested() const { return abort_requested_; }
  bool DisplayRequested() const { return display_requested_; }
  bool Closing() const { return closing_; }
  bool FirstShow() const { return first_show_; }
  bool StartupFailed() const { return startup_failed_; }
  int SecondsLeft() const { return seconds_left_; }
  const std::string& Trace() const { return trace_; }

 private:
  RunPhase phase_ = RunPhase::Window;
  bool no_delay_ = false;
  bool ask_startup_at_close_ = false;
  bool abort_requested_ = false;
  bool display_requested_ = false;
  bool closing_ = false;
  bool first_show_ = true;
  bool startup_failed_ = false;
  int seconds_left_ = 0;
  std::string trace_;
};

}  // namespace horalux
