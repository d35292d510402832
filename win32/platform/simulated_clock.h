#pragma once
#include <atomic>

#include "win32/platform/win_clock.h"

namespace horalux {

// A clock that runs with the OS clock but keeps its own offset: setting it
// moves only this process's idea of the time. Used by the test build, so
// end-to-end runs can show corrections that Wine's clock call refuses.
class SimulatedClock : public WinClock {
 public:
  SystemTimeFields local_time() override;
  PreciseLocalTime precise_local_time() override;
  ClockSet set_system_time_utc(const SystemTimeFields& utc) override;

 private:
  // The OS clock's reading moved by the offset (whole milliseconds).
  SystemTimeFields Shifted(const SystemTimeFields& real) const;

  std::atomic<long long> offset_ms_{0};
};

}  // namespace horalux
