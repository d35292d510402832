#include "tests/fakes/fake_pump.h"

#include <algorithm>

namespace horalux::fakes {

void FakePump::process_messages() {
  ++passes;
  if (on_process) on_process(passes);
}

void FakePump::start_timer(int id, std::uint32_t interval_ms, std::function<void()> on_fire) {
  timers[id] = Timer{interval_ms, std::move(on_fire)};
}

void FakePump::wait_events(std::uint32_t max_ms) {
  if (clock) clock->sleep(std::min<std::uint32_t>(max_ms, 2));
  process_messages();
}

bool FakePump::fire(int id) {
  auto it = timers.find(id);
  if (it == timers.end()) return false;
  auto callback = it->second.on_fire;
  callback();
  return true;
}

}  // namespace horalux::fakes
