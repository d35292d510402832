#include "core/engine/http_time_source.h"

#include <cmath>

#include "core/base/date_time.h"
#include "core/engine/result_texts.h"

namespace horalux {
namespace {

// The fine adjustment that stood for the assumed middle of the second: a
// measured time needs none of it, and only a user's own correction stays.
constexpr double kAssumedMiddleMs = 500;

// Look-up and connect are not part of the timed way: the request is planned
// far enough ahead for the connection to stand first.
double PlanningLead(double quickest) {
  return 0.030 + 3 * quickest;
}

}  // namespace

FetchOutcome HttpTimeSource::Fetch(SyncMode mode) {
  requests_ = 0;
  const PageTime page = page_ ? page_->FetchTime(mode) : PageTime{};
  requests_ = page_ ? 1 : 0;
  FetchOutcome outcome;
  if (page.passwordNotSaved) outcome.notice = result_text::kPasswordNotSaved;
  if (page.time == 0.0) {
    outcome.failure = page.proxyCredentialsNeeded
                          ? result_text::ProxyCredentialsNeeded202(SelectedPageCaption())
                          : result_text::HttpFailed201(SelectedPageCaption());
    return outcome;
  }
  const double adjustment_ms = screen_.udChouseiHTTP.Position();
  // A Date.parse line has a resolution of its own; only a Date header's
  // whole seconds are worth measuring.
  if (screen_.cbSeimitsu.Checked() && page.fromDateHeader) {
    if (std::optional<double> server_now = MeasureServerNow(page)) {
      outcome.utc =
          *server_now + (adjustment_ms - kAssumedMiddleMs - kJstOffsetMs) / kMillisecondsPerDay;
      return outcome;
    }
  }
  // The fine adjustment and the nine hours of Japan Standard Time in one step.
  outcome.utc = page.time + (adjustment_ms - kJstOffsetMs) / kMillisecondsPerDay;
  // Later requests that did not count took time the first Date has aged by.
  if (requests_ > 1)
    outcome.utc += (Seconds(clock_.performance_counter()) - Seconds(page.received)) / 86400.0;
  return outcome;
}

std::optional<double> HttpTimeSource::MeasureServerNow(const PageTime& first) {
  SecondBoundary boundary(Timed(first));
  const double started = Seconds(first.sent);
  while (requests_ < kBoundaryMaxRequests && !boundary.Settled()) {
    const double now = Seconds(clock_.performance_counter());
    const double send_at = boundary.PlanSend(now + PlanningLead(boundary.QuickestRoundTrip()));
    if (send_at - started > kBoundaryMaxSeconds) break;
    const PageTime page = page_->FetchTimeAt(Counter(send_at));
    ++requests_;
    // A reply that breaks the page's rules, or no longer carries the Date
    // alone, ends the measurement with what is known.
    if (page.time == 0.0 || !page.fromDateHeader) break;
    // A slow reply says little and is passed over; one that contradicts the
    // others means the server's clock moved, and what was known stands.
    if (boundary.Take(Timed(page)) == SecondBoundary::Taken::Inconsistent) break;
  }
  if (boundary.Replies() < 2) return std::nullopt;
  const double theta = boundary.Interval().Middle();
  return (Seconds(clock_.performance_counter()) + theta) / 86400.0;
}

double HttpTimeSource::Seconds(std::int64_t counter) {
  return static_cast<double>(counter) / static_cast<double>(clock_.performance_frequency());
}

std::int64_t HttpTimeSource::Counter(double seconds) {
  return static_cast<std::int64_t>(
      std::llround(seconds * static_cast<double>(clock_.performance_frequency())));
}

TimedDate HttpTimeSource::Timed(const PageTime& page) {
  // The Date is whole seconds; the day count only carries it approximately.
  return {std::round(page.time * 86400.0), Seconds(page.sent), Seconds(page.received)};
}

std::string HttpTimeSource::SelectedPageCaption() const {
  if (screen_.rbJapan.Checked()) return screen_.rbJapan.Caption();
  if (screen_.rbFennick2.Checked()) return screen_.rbFennick2.Caption();
  return screen_.rbFennick1.Caption();
}

}  // namespace horalux
