#pragma once
#include <optional>
#include <string>

#include "core/engine/cycle_verdict.h"

namespace horalux {

// What one fetch of a cycle gives: the time, or the result line that ends
// the cycle.
struct FetchOutcome {
  // Days since 1899-12-30, UTC, before the time-zone adjustment.
  double utc = 0.0;
  // Set when the fetch failed; the cycle writes it and ends.
  std::optional<std::string> failure;
  // Said in a box once the cycle's outcome is out; empty for nothing.
  std::string notice;
};

// Where a cycle takes its time from: the SNTP servers or a standard-time page
// over HTTP. The cycle asks the selected one and knows no more about it.
class TimeSource {
 public:
  virtual ~TimeSource() = default;
  // Failures the source expects end in FetchOutcome::failure; anything raised
  // is an unexpected failure of the cycle.
  virtual FetchOutcome Fetch(SyncMode mode) = 0;
};

}  // namespace horalux
