#pragma once
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
};

// The selected standard-time page read over HTTP; the HTTP client plugs it
// into the cycle.
class StandardTimePage {
 public:
  virtual ~StandardTimePage() = default;
  // One GET of the selected page; only a connection test may ask the user
  // for a proxy's password. Never raises.
  virtual PageTime FetchTime(SyncMode mode) = 0;
};

}  // namespace horalux
