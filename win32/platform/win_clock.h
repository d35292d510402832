#pragma once
#include "core/platform/clock.h"

namespace horalux {

// The OS clock: GetLocalTime, GetSystemTimePreciseAsFileTime, SetSystemTime, the performance
// counter.
class WinClock : public Clock {
 public:
  SystemTimeFields local_time() override;
  PreciseLocalTime precise_local_time() override;
  ClockSet set_system_time_utc(const SystemTimeFields& utc) override;
  std::int64_t performance_counter() override;
  std::int64_t performance_frequency() override;
  std::uint32_t tick_count() override;
  void sleep(std::uint32_t milliseconds) override;
  TimeZoneReport time_zone() override;
};

}  // namespace horalux
