#pragma once
#include <optional>

#include "core/engine/second_boundary.h"
#include "core/engine/standard_time_page.h"
#include "core/engine/time_source.h"
#include "core/platform/clock.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// One GET of the selected standard-time page. When its time is the reply's
// Date header and "cbSeimitsu" is ticked, further GETs find where the
// server's second turns over.
class HttpTimeSource : public TimeSource {
 public:
  // Without a page (no HTTP client plugged in) every fetch finds no time.
  HttpTimeSource(StandardTimePage* page, const JikokuScreen& screen, Clock& clock)
      : page_(page), screen_(screen), clock_(clock) {}
  FetchOutcome Fetch(SyncMode mode) override;

  // Requests the last fetch made, the first included.
  int Requests() const { return requests_; }

 private:
  // The selected page's caption; rbFennick1's when none is selected.
  std::string SelectedPageCaption() const;
  // The Japan time (days) the server's clock shows now, from requests timed
  // around its second boundary; nothing when no later request counted.
  std::optional<double> MeasureServerNow(const PageTime& first);
  double Seconds(std::int64_t counter);
  std::int64_t Counter(double seconds);
  TimedDate Timed(const PageTime& page);

  StandardTimePage* page_;
  const JikokuScreen& screen_;
  Clock& clock_;
  int requests_ = 0;
};

}  // namespace horalux
