#include "core/controls/timer.h"

namespace horalux {

void TTimer::SetEnabled(bool v) {
  if (enabled_ == v) return;
  if (v) {
    pump_.start_timer(id_, interval_, [this] {
      if (enabled_) OnTimer();
    });
  } else {
    pump_.stop_timer(id_);
  }
  // A timer the pump refused is not running.
  enabled_ = v;
}

void TTimer::SetInterval(std::uint32_t ms) {
  if (interval_ == ms) return;
  interval_ = ms;
  if (enabled_) {
    SetEnabled(false);
    SetEnabled(true);
  }
}

}  // namespace horalux
