#include "core/controls/timer.h"

namespace horalux {

void TTimer::SetEnabled(bool v) {
  if (enabled_ == v) return;
  enabled_ = v;
  if (v) {
    pump_.start_timer(id_, interval_, [this] {
      if (enabled_ && OnTimer) OnTimer();
    });
  } else {
    pump_.stop_timer(id_);
  }
}

void TTimer::SetInterval(std::uint32_t ms) {
  if (interval_ == ms) return;
  interval_ = ms;
  if (enabled_) {
    pump_.stop_timer(id_);
    pump_.start_timer(id_, interval_, [this] {
      if (enabled_ && OnTimer) OnTimer();
    });
  }
}

}  // namespace horalux
