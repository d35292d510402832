#include "core/engine/cycle_verdict.h"

#include <cmath>

#include "core/base/date_time.h"
#include "core/settings/settings_keys.h"

namespace horalux {

Verdict JudgeDifference(double fetched, double now, int tolerance, SyncMode mode) {
  // The tolerance field's own range: a value the file put beyond it decides nothing.
  constexpr const NumberFacts& kTolerance = NumberOf<&JikokuScreen::udGosa>();
  // The comparison keeps the x87 extended precision the tick count was
  // specified with; long double is that format on the x86 targets. The PC's
  // local time is shifted by the same fixed offset as every fetched time.
  const long double span = static_cast<long double>(now) - kJstOffsetDays - fetched;
  const std::int64_t diffTicks =
      static_cast<std::int64_t>(std::nearbyintl(span * 24 * 60 * 60 * 10000));
  const std::int64_t magnitude = diffTicks < 0 ? -diffTicks : diffTicks;
  Verdict v{Verdict::Action::Correct, diffTicks, magnitude / 10000};
  if (tolerance < kTolerance.min || tolerance > kTolerance.max)
    v.action = Verdict::Action::ToleranceInvalid;
  else if (static_cast<double>(magnitude) / 10000.0 <= tolerance)
    v.action = Verdict::Action::Correct;
  else if (v.seconds > kFailureBoundSeconds)
    v.action = Verdict::Action::Implausible;
  else
    v.action = mode == SyncMode::ConnectionTest ? Verdict::Action::Ask : Verdict::Action::Refuse;
  return v;
}

}  // namespace horalux
