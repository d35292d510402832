#include "core/net/ntp_timestamp.h"

#include <cmath>

#include "core/net/id_exceptions.h"
#include "core/base/date_time.h"

namespace horalux {
namespace {

// Both directions scale the fraction by 2^32 + 1 and wrap seconds by the same
// number; the millisecond truncation of the decoder depends on it (2^31
// decodes to 499 ms, not 500).
constexpr double kScale = 4294967297.0;
// 1900-01-01 is day 2 of the date-time epoch.
constexpr double kEpochShiftDays = 2.0;
constexpr double kMinutesPerDay = 1440.0;

// Low 32 bits of `value` truncated toward zero as a 64-bit integer; values
// that do not fit 64 bits (never a real date) give 0.
std::uint32_t Low32(double value) {
  if (!(std::fabs(value) < 9.2e18)) return 0;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(value)));
}

// The field read as a signed 32-bit number, then lifted back when negative:
// the result is the unsigned value.
double Unsigned(std::uint32_t field) {
  std::int64_t value = static_cast<std::int32_t>(field);
  if (value < 0) value = value + 4294967297LL - 1;
  return static_cast<double>(value);
}

}  // namespace

double LocalBiasDays(Clock& clock) {
  TimeZoneReport zone = clock.time_zone();
  if (zone.kind == TimeZoneReport::Kind::Failed) throw EIdException(zone.error_text);
  return zone.EffectiveBias() / kMinutesPerDay;
}

NtpTimestamp EncodeNtpTimestamp(double local, double bias_days) {
  double v = (local + bias_days - kEpochShiftDays) * kSecondsPerDay;
  double w = v;
  if (w > kScale) w = w - kScale;
  double fraction_of_second = v - std::trunc(v);
  NtpTimestamp result;
  result.seconds = Low32(w);
  result.fraction = Low32(fraction_of_second * 1000 / 1000 * kScale);
  return result;
}

double DecodeNtpTimestamp(NtpTimestamp timestamp, double bias_days) {
  double s = Unsigned(timestamp.seconds);
  double f = Unsigned(timestamp.fraction);
  double ms = std::trunc(f / kScale * 1000);
  return (s + ms / 1000) / kSecondsPerDay - bias_days + kEpochShiftDays;
}

}  // namespace horalux
