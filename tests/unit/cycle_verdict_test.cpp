#include "core/engine/cycle_verdict.h"

#include <gtest/gtest.h>

#include "core/base/date_time.h"

namespace horalux {
namespace {

TEST(CycleVerdict, DecidesByTheDifferenceTheToleranceAndTheMode) {
  using A = Verdict::Action;
  constexpr auto kTest = SyncMode::ConnectionTest;
  constexpr auto kResident = SyncMode::ResidentRun;
  const double now = EncodeDateTime(2006, 8, 31, 9, 0, 1, 0);
  struct Row {
    double ahead_seconds;  // how far the PC is ahead of the fetched time
    int tolerance;
    SyncMode mode;
    Verdict expected;
  } rows[] = {
      {0.8, 60, kTest, {A::Correct, 8000, 0}},
      {-0.00004, 60, kTest, {A::Correct, 0, 0}},
      {60.0, 60, kResident, {A::Correct, 600000, 60}},
      {60.0001, 60, kResident, {A::Refuse, 600001, 60}},
      {-60.0001, 60, kTest, {A::Ask, -600001, 60}},
      {600.0, 600, kResident, {A::Correct, 6000000, 600}},
      {-1.5, 1, kResident, {A::Refuse, -15000, 1}},
      {0.0, 0, kTest, {A::ToleranceInvalid, 0, 0}},
      {100.0, 601, kResident, {A::ToleranceInvalid, 1000000, 100}},
      {-5.0, -5, kTest, {A::ToleranceInvalid, -50000, 5}},
      {315360000.5, 600, kTest, {A::Ask, 3153600005000, 315360000}},
      {315360001.0, 600, kTest, {A::Implausible, 3153600010000, 315360001}},
      {-315360001.0, 600, kResident, {A::Implausible, -3153600010000, 315360001}},
  };
  for (const Row& row : rows) {
    const double fetched = now - kJstOffsetDays - row.ahead_seconds / kSecondsPerDay;
    EXPECT_EQ(JudgeDifference(fetched, now, row.tolerance, row.mode), row.expected)
        << row.ahead_seconds << " s, tolerance " << row.tolerance;
  }
  // A time source that answered 0.0 is caught by the failure bound.
  EXPECT_EQ(JudgeDifference(-kJstOffsetDays, now, 60, kTest).action, A::Implausible);
}

}  // namespace
}  // namespace horalux
