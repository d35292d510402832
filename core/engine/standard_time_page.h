#pragma once
#include <cstdint>

#include "core/engine/cycle_verdict.h"

namespace horalux {

// What one fetch of the page gives.
struct PageTime {
  // The time the page states (Japan Standard Time, days since 1899-12-30),
  // or exactly 0.0 when none was found.
  double time = 0.0;
  // The proxy demanded credentials that could not be given (none stored,
  // refused, or the user cancelled).
  bool proxyCredentialsNeeded = false;
  // The user's typed password could not be saved.
  bool passwordNotSaved = false;
  // The time is the reply's Date header (whole seconds), the page having no
  // Date.parse line.
  bool fromDateHeader = false;
  // Performance-counter values of the request that counted (through a proxy
  // that asked for a password, the one with the credentials): when its last
  // byte was handed to the socket, and when the reply's status line arrived.
  std::int64_t sent = 0;
  std::int64_t received = 0;
};

// The selected standard-time page read over HTTP; the HTTP client plugs it
// into the cycle.
class StandardTimePage {
 public:
  virtual ~StandardTimePage() = default;
  // One GET of the selected page; only a connection test may ask the user
  // for a proxy's password. Never raises.
  virtual PageTime FetchTime(SyncMode mode) = 0;
  // Another GET of the same page, connected first, whose request goes out
  // when the performance counter reaches `send_at` (at once when it has);
  // never asks the user. Never raises.
  virtual PageTime FetchTimeAt(std::int64_t send_at) = 0;
};

}  // namespace horalux
