#include "core/engine/second_boundary.h"

#include <algorithm>
#include <cmath>

namespace horalux {
namespace {

// The server stamped its Date at some moment between send and receive, and
// the Date is that moment's time truncated to the second.
ThetaInterval Allowed(const TimedDate& reply) {
  return {reply.date - reply.received, reply.date + 1.0 - reply.sent};
}

double RoundTrip(const TimedDate& reply) {
  return std::max(0.0, reply.received - reply.sent);
}

}  // namespace

SecondBoundary::SecondBoundary(const TimedDate& first)
    : interval_(Allowed(first)), quickest_(RoundTrip(first)) {}

double SecondBoundary::PlanSend(double earliest) const {
  const double lead = quickest_ / 2 + interval_.Middle();
  // The first boundary of the server's clock that a send no earlier than
  // `earliest` can meet.
  return std::ceil(earliest + lead) - lead;
}

SecondBoundary::Taken SecondBoundary::Take(const TimedDate& reply) {
  const double trip = RoundTrip(reply);
  // On a loopback or a LAN the quickest trip is a fraction of a millisecond,
  // and a scheduler's hiccup doubles it without harming anything.
  if (trip > 2 * quickest_ && trip - quickest_ > kEnoughWidth) return Taken::Slow;
  const ThetaInterval allowed = Allowed(reply);
  const ThetaInterval both{std::max(interval_.low, allowed.low),
                           std::min(interval_.high, allowed.high)};
  if (both.Width() <= 0) return Taken::Inconsistent;
  interval_ = both;
  quickest_ = std::min(quickest_, trip);
  ++replies_;
  return Taken::Narrowed;
}

bool SecondBoundary::Settled() const {
  // Each request leaves half of what lies beyond the round trip: the width
  // tends to the round trip itself and gets no nearer than that.
  return interval_.Width() <= kEnoughWidth || interval_.Width() - quickest_ <= kEnoughWidth;
}

}  // namespace horalux
