#pragma once
#include <cstdint>

#include "core/controls/signal.h"
#include "core/platform/message_pump.h"

namespace horalux {

// A window timer: fires OnTimer every Interval milliseconds while enabled.
class TTimer {
 public:
  TTimer(MessagePump& pump, int id, std::uint32_t interval_ms)
      : pump_(pump), id_(id), interval_(interval_ms) {}
  ~TTimer() { SetEnabled(false); }
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  std::uint32_t Interval() const { return interval_; }
  // A new interval restarts a running timer.
  void SetInterval(std::uint32_t ms);
  Signal OnTimer;

 private:
  MessagePump& pump_;
  int id_;
  std::uint32_t interval_;
  bool enabled_ = false;
};

}  // namespace horalux
