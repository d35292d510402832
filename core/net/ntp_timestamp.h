#pragma once
#include <cstdint>

#include "core/platform/clock.h"

namespace horalux {

// An NTP timestamp as carried on the wire: seconds since 1900-01-01 00:00 UTC
// and a binary fraction of a second.
struct NtpTimestamp {
  std::uint32_t seconds = 0;
  std::uint32_t fraction = 0;
  friend bool operator==(const NtpTimestamp&, const NtpTimestamp&) = default;
};

// Days to add to local time to obtain UTC (-0.375 in Japan), read from the
// clock's time-zone report now. Raises EIdException with the system's text
// when the report failed.
double LocalBiasDays(Clock& clock);

// Local date-time (days since 1899-12-30) to an NTP timestamp, given the
// bias of LocalBiasDays.
NtpTimestamp EncodeNtpTimestamp(double local, double bias_days);

// NTP timestamp to local date-time (days since 1899-12-30), whole
// milliseconds, given the bias of LocalBiasDays.
double DecodeNtpTimestamp(NtpTimestamp timestamp, double bias_days);

}  // namespace horalux
