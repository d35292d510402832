#pragma once

namespace horalux {

// The look at the browser's proxy before every cycle. It may select HTTP
// on the screen (the cycle then fetches by HTTP) or end the cycle at once.
class ProxyPrecheck {
 public:
  enum class Outcome {
    GoOn,    // fetch from whichever source is selected now
    EndNow,  // the cycle returns false: no result line, no end-of-cycle step
  };
  virtual ~ProxyPrecheck() = default;
  // Runs before the cycle starts its work; what it raises passes to the
  // caller of the cycle.
  virtual Outcome Run() = 0;
};

}  // namespace horalux
