#pragma once
#include <cstdint>
#include <string>

namespace horalux {

// Calendar fields as the OS clock calls speak them (SYSTEMTIME layout).
struct SystemTimeFields {
  int year = 1899;
  int month = 12;
  int day_of_week = 0;  // 0 = Sunday; ignored when setting the clock
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The OS's time-zone report (GetTimeZoneInformation), all biases in minutes
// to add to local time to obtain UTC.
struct TimeZoneReport {
  enum class Kind { Unknown, Standard, Daylight, Failed };
  Kind kind = Kind::Unknown;
  int bias = 0;
  int standard_bias = 0;
  int daylight_bias = 0;
  std::string error_text;  // the system's text for the last error, when Failed

  // The bias in effect: the base bias plus the standard or daylight one the
  // report names (the base alone when it names neither). Minutes.
  int EffectiveBias() const {
    if (kind == Kind::Standard) return bias + standard_bias;
    if (kind == Kind::Daylight) return bias + daylight_bias;
    return bias;
  }
};

// Local wall-clock time read as finely as the system can: the fields and
// the 100-ns units past their millisecond (0 to 9999).
struct PreciseLocalTime {
  SystemTimeFields fields;
  int units_past_ms = 0;
};

// How a clock set ended. NoRight: the system refused it because the process
// lacks the right to set the clock (not elevated, or not granted).
enum class ClockSet { Set, NoRight, Failed };

class Clock {
 public:
  virtual ~Clock() = default;
  // Local wall-clock time, millisecond resolution.
  virtual SystemTimeFields local_time() = 0;
  // The same, where the system keeps it finer than the millisecond (and
  // than its own timer tick, which the call above may be as coarse as).
  virtual PreciseLocalTime precise_local_time() { return {local_time(), 0}; }
  // Sets the system clock from UTC fields; Set when the OS reports success.
  virtual ClockSet set_system_time_utc(const SystemTimeFields& utc) = 0;
  // High-resolution counter, in counts; its frequency in counts per second.
  virtual std::int64_t performance_counter() = 0;
  virtual std::int64_t performance_frequency() = 0;
  // Milliseconds since the system started (wraps after 49.7 days).
  virtual std::uint32_t tick_count() = 0;
  // Blocks for the given milliseconds without processing window events.
  virtual void sleep(std::uint32_t milliseconds) = 0;
  virtual TimeZoneReport time_zone() = 0;
};

}  // namespace horalux
