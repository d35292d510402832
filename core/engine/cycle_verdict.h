#pragma once
#include <cstdint>

namespace horalux {

enum class SyncMode { ConnectionTest, ResidentRun };

// Differences beyond this many seconds mean the fetch itself failed.
inline constexpr std::int64_t kFailureBoundSeconds = 315360000;

// What a cycle does with the time it fetched.
struct Verdict {
  enum class Action {
    // Within the tolerance: the clock is set.
    Correct,
    // The tolerance lies outside its field's range: nothing is decided.
    ToleranceInvalid,
    // A connection test beyond the tolerance asks the user.
    Ask,
    // Beyond the failure bound: the fetch failed, nothing is corrected.
    Implausible,
    // A resident run never corrects beyond the tolerance.
    Refuse,
  };
  Action action;
  // The PC clock minus the fetched time in 1/10000 s; positive when the PC is ahead.
  std::int64_t diffTicks;
  // Whole seconds of the difference, truncated toward zero.
  std::int64_t seconds;
  bool operator==(const Verdict&) const = default;
};

// `fetched` is UTC and `now` the PC's local time, both in days since
// 1899-12-30; `tolerance` is in seconds as the screen holds it.
Verdict JudgeDifference(double fetched, double now, int tolerance, SyncMode mode);

}  // namespace horalux
