#include "core/app/run_controller.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace horalux {
namespace {

using Step = std::function<void(RunController&)>;
const Step kResident = [](RunController& r) { r.TakeParameter('R'); };
const Step kCountdown = [](RunController& r) { r.StartCountdown(3); };
const Step kCycle = [](RunController& r) { r.BeginCycle(); };
const Step kFailed = [](RunController& r) { r.CycleFailed(); };
const Step kWindow = [](RunController& r) { r.GiveWayToWindow(); };
const Step kEnd = [](RunController& r) { r.EndRun(); };
const Step kReset = [](RunController& r) { r.ResetForParameters(); };

// Only the phases of a resident run still under way keep the window as it is;
// quitting a window run leaves it a window run.
TEST(RunController, PhasesFollowTheRunAndTellWhetherItIsResident) {
  struct Row {
    const char* what;
    std::vector<Step> steps;
    RunPhase phase;
    bool resident;
  } rows[] = {
      {"no parameter", {}, RunPhase::Window, false},
      {"-R", {kResident}, RunPhase::Starting, true},
      {"countdown", {kResident, kCountdown}, RunPhase::Countdown, true},
      {"display request", {kResident, kCountdown, kWindow}, RunPhase::WindowShown, false},
      {"no delay", {kResident, kCycle}, RunPhase::Synchronising, true},
      {"failed cycle", {kResident, kCycle, kFailed}, RunPhase::Outcome, true},
      {"window asked for", {kResident, kCycle, kFailed, kWindow}, RunPhase::WindowShown, false},
      {"resident end", {kResident, kCountdown, kCycle, kEnd}, RunPhase::Ending, true},
      {"window run quits", {kEnd}, RunPhase::Window, false},
      {"shown window quits", {kResident, kCountdown, kWindow, kEnd}, RunPhase::WindowShown, false},
      {"new start", {kResident, kCycle, kReset}, RunPhase::Window, false},
  };
  for (const Row& row : rows) {
    RunController run;
    for (const Step& step : row.steps) step(run);
    EXPECT_EQ(run.Phase(), row.phase) << row.what;
    EXPECT_EQ(run.IsResidentRun(), row.resident) << row.what;
  }
}

}  // namespace
}  // namespace horalux
