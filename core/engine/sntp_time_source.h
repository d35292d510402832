#pragma once
#include "core/engine/sntp_source.h"
#include "core/engine/time_source.h"
#include "core/platform/clock.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// Up to six attempts over the built-in servers (or the one given by hand),
// two exchanges each: the first gives the time, the second decides whether
// the attempt counts.
class SntpTimeSource : public TimeSource {
 public:
  // `attempts` is the cycle's attempt count; the source counts into it.
  SntpTimeSource(SntpSource& sntp, Clock& clock, const JikokuScreen& screen, int& attempts)
      : sntp_(sntp), clock_(clock), screen_(screen), attempts_(attempts) {}
  FetchOutcome Fetch(SyncMode mode) override;

  // The built-in server after `host` (exact comparison), A after anything else.
  static std::string NextHost(const std::string& host);

 private:
  SntpSource& sntp_;
  Clock& clock_;
  const JikokuScreen& screen_;
  int& attempts_;
};

}  // namespace horalux
