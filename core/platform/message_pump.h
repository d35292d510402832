#pragma once
#include <cstdint>
#include <functional>

namespace horalux {

// The user-interface thread's event loop.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Handles every pending window event, then returns.
  virtual void process_messages() = 0;
  // Blocks until a window event or a network event arrives, or `max_ms`
  // milliseconds pass, and handles what came: a network event alone, so
  // that whoever waits for it sees it before any window work, else every
  // pending window event. Wakes at once, not at the next timer tick.
  virtual void wait_events(std::uint32_t max_ms) = 0;
  // Runs the event loop until quit() is called.
  virtual void run() = 0;
  // Ends the event loop (now, or as soon as run() is entered).
  virtual void quit() = 0;
  virtual bool quitting() const = 0;
  // One timer per id; it repeats every interval milliseconds until stopped.
  // The callback runs on the user-interface thread, inside event processing.
  // Raises std::runtime_error, keeping no timer of this id, when the system
  // refuses one.
  virtual void start_timer(int id, std::uint32_t interval_ms, std::function<void()> on_fire) = 0;
  virtual void stop_timer(int id) = 0;
};

}  // namespace horalux
