#include "win32/platform/simulated_clock.h"

#include <cmath>

#include "core/base/date_time.h"

namespace horalux {

SystemTimeFields SimulatedClock::Shifted(const SystemTimeFields& real) const {
  return DateTimeToFields(FieldsToDateTime(real) +
                          static_cast<double>(offset_ms_.load()) / kMillisecondsPerDay);
}

SystemTimeFields SimulatedClock::local_time() {
  return Shifted(WinClock::local_time());
}

PreciseLocalTime SimulatedClock::precise_local_time() {
  PreciseLocalTime read = WinClock::precise_local_time();
  read.fields = Shifted(read.fields);
  return read;
}

ClockSet SimulatedClock::set_system_time_utc(const SystemTimeFields& utc) {
  double wanted_local = FieldsToDateTime(utc) - time_zone().EffectiveBias() / 1440.0;
  double real_local = FieldsToDateTime(WinClock::local_time());
  offset_ms_ = std::llround((wanted_local - real_local) * kMillisecondsPerDay);
  return ClockSet::Set;
}

}  // namespace horalux
