#pragma once
#include <cstdint>
#include <functional>
#include <map>

#include "core/platform/clock.h"
#include "core/platform/message_pump.h"

namespace horalux::fakes {

// An event loop driven by the test: process_messages() runs the scripted
// events, and timers fire when the test says so.
class FakePump : public MessagePump {
 public:
  void process_messages() override;
  // Lets `clock` (when set) run on by up to 2 ms, the longest a fake event
  // keeps anyone waiting, then handles the events.
  void wait_events(std::uint32_t max_ms) override;
  void run() override { ++runs; }
  void quit() override { quit_ = true; }
  bool quitting() const override { return quit_; }
  void start_timer(int id, std::uint32_t interval_ms, std::function<void()> on_fire) override;
  void stop_timer(int id) override { timers.erase(id); }

  // Fires a running timer once; false when it is not running.
  bool fire(int id);

  struct Timer {
    std::uint32_t interval_ms;
    std::function<void()> on_fire;
  };
  std::map<int, Timer> timers;
  // Runs at every process_messages(), with the pass number from 1.
  std::function<void(int pass)> on_process;
  int passes = 0;
  Clock* clock = nullptr;
  int runs = 0;

 private:
  bool quit_ = false;
};

}  // namespace horalux::fakes
