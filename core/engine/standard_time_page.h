#pragma once

namespace horalux {

// The selected standard-time page read over HTTP; the HTTP client plugs it
// into the cycle.
class StandardTimePage {
 public:
  virtual ~StandardTimePage() = default;
  // One GET of the selected page: the time it states (Japan Standard Time,
  // days since 1899-12-30), or exactly 0.0 on any failure. Never raises.
  virtual double GetHttpTime() = 0;
};

}  // namespace horalux
