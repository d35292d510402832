#pragma once
#include <cstdint>
#include <optional>

namespace horalux {

// A web server states the time only in its Date header: whole seconds,
// truncated. Where its second turns over says more: a request timed to
// reach the server just before or just after a predicted boundary tells
// which side the server's clock is on, and each such request halves what is
// still possible, down to what the round trip allows.
//
// All times here are seconds of the performance counter (counts divided by
// the frequency). The PC's local time runs with the counter, so θ, the
// server's Japan time minus the counter's time, is the server's Japan time
// minus the PC's local time up to a constant the result takes back out.

// One reply: the Date it carries and when its request went out and its
// status line came back.
struct TimedDate {
  double date = 0.0;      // the Date, Japan time, whole seconds since 1899-12-30
  double sent = 0.0;      // the request's last byte handed to the socket
  double received = 0.0;  // the status line arrived
};

// Where θ may still lie: [low, high).
struct ThetaInterval {
  double low = 0.0;
  double high = 0.0;
  double Width() const { return high - low; }
  double Middle() const { return (low + high) / 2; }
};

// The interval the replies so far leave, and when the next request should go.
class SecondBoundary {
 public:
  explicit SecondBoundary(const TimedDate& first);

  // The counter second at which the next request's last byte should go out,
  // no earlier than `earliest`: by the midpoint of the quickest round trip
  // seen, the server's clock, were θ the middle of the interval, reaches a
  // second boundary.
  double PlanSend(double earliest) const;

  enum class Taken { Narrowed, Slow, Inconsistent };
  // Intersects the interval with what `reply` allows. A reply whose round
  // trip is more than twice the quickest (and more than `kEnoughWidth`
  // longer: a loaded machine's hiccup), or that leaves nothing possible,
  // changes nothing.
  Taken Take(const TimedDate& reply);

  // Narrow enough: at most `kEnoughWidth` wide, or within that of the
  // quickest round trip, which no request can get below.
  bool Settled() const;

  const ThetaInterval& Interval() const { return interval_; }
  double QuickestRoundTrip() const { return quickest_; }
  int Replies() const { return replies_; }

  static constexpr double kEnoughWidth = 0.010;

 private:
  ThetaInterval interval_;
  double quickest_;
  int replies_ = 1;
};

// The limits of one measurement: requests in all (the first included), and
// seconds after the first request's send after which no request starts.
inline constexpr int kBoundaryMaxRequests = 8;
inline constexpr double kBoundaryMaxSeconds = 8.0;

}  // namespace horalux
