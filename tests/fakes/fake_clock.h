#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "core/platform/clock.h"
#include "core/base/date_time.h"

namespace horalux::fakes {

// A clock that keeps its own time: local time and the counters advance only
// by sleep() and advance(). Setting the clock moves local time by the zone bias.
class FakeClock : public Clock {
 public:
  // Local time as days since 1899-12-30; bias in minutes (UTC = local + bias).
  explicit FakeClock(double local_now = 38960.375, int bias_minutes = -540);

  SystemTimeFields local_time() override;
  PreciseLocalTime precise_local_time() override;
  ClockSet set_system_time_utc(const SystemTimeFields& utc) override;
  std::int64_t performance_counter() override;
  std::int64_t performance_frequency() override { return kFrequency; }
  std::uint32_t tick_count() override;
  void sleep(std::uint32_t milliseconds) override;
  TimeZoneReport time_zone() override { return zone; }

  void advance_ms(double milliseconds);
  double local_now() const { return local_now_; }

  static constexpr std::int64_t kFrequency = 10000000;
  TimeZoneReport zone;
  ClockSet refusal = ClockSet::Set;    // what every set answers instead of setting
  std::vector<SystemTimeFields> sets;  // every successful set, in UTC
  std::vector<std::uint32_t> sleeps;
  // Milliseconds that pass before each of the next reads of local time, as
  // when the reading thread is held up.
  std::deque<double> pauses_before_read;

 private:
  double local_now_;
  double elapsed_ms_ = 0;
};

}  // namespace horalux::fakes
