#include "tests/fakes/fake_clock.h"

#include <algorithm>
#include <cmath>

namespace horalux::fakes {

FakeClock::FakeClock(double local_now, int bias_minutes) : local_now_(local_now) {
  zone.kind = TimeZoneReport::Kind::Unknown;
  zone.bias = bias_minutes;
}

SystemTimeFields FakeClock::local_time() {
  if (!pauses_before_read.empty()) {
    advance_ms(pauses_before_read.front());
    pauses_before_read.pop_front();
  }
  // The OS clock reports whole milliseconds.
  double ms = std::floor(local_now_ * kMillisecondsPerDay + 1e-6);
  return DateTimeToFields(ms / kMillisecondsPerDay);
}

PreciseLocalTime FakeClock::precise_local_time() {
  const SystemTimeFields fields = local_time();
  const double units = (local_now_ - FieldsToDateTime(fields)) * kMillisecondsPerDay * 10000;
  return {fields, std::clamp(static_cast<int>(units), 0, 9999)};
}

ClockSet FakeClock::set_system_time_utc(const SystemTimeFields& utc) {
  if (refusal != ClockSet::Set) return refusal;
  sets.push_back(utc);
  local_now_ = FieldsToDateTime(utc) - zone.EffectiveBias() / 1440.0;
  return ClockSet::Set;
}

std::int64_t FakeClock::performance_counter() {
  return static_cast<std::int64_t>(std::llround(elapsed_ms_ * (kFrequency / 1000)));
}

std::uint32_t FakeClock::tick_count() {
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(elapsed_ms_) + 5000000);
}

void FakeClock::sleep(std::uint32_t milliseconds) {
  sleeps.push_back(milliseconds);
  advance_ms(milliseconds);
}

void FakeClock::advance_ms(double milliseconds) {
  elapsed_ms_ += milliseconds;
  local_now_ += milliseconds / kMillisecondsPerDay;
}

}  // namespace horalux::fakes
