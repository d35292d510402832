#pragma once
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace horalux {

namespace signal_detail {
struct Slot {
  std::function<void()> fn;
  bool connected = true;
  // The program's own handler of the event, as a window's table binds it.
  bool handler = false;
};
struct Slots {
  std::vector<std::shared_ptr<Slot>> list;
  bool has_handler = false;
};
}  // namespace signal_detail

// Keeps one observer connected to a signal; destroying it disconnects. It
// may outlive the signal, and may be dropped from inside the signal's emit.
class Connection {
 public:
  Connection() = default;
  Connection(Connection&& other) noexcept;
  Connection& operator=(Connection&& other) noexcept;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection() { disconnect(); }

  void disconnect();
  bool connected() const;

 private:
  friend class Signal;
  Connection(std::weak_ptr<signal_detail::Slots> slots, std::shared_ptr<signal_detail::Slot> slot)
      : slots_(std::move(slots)), slot_(std::move(slot)) {}

  std::weak_ptr<signal_detail::Slots> slots_;
  std::shared_ptr<signal_detail::Slot> slot_;
};

// An event of a control model that any number of observers hear, in the
// order they connected. An observer connected or disconnected while the
// signal is being raised takes effect from the next raise.
class Signal {
 public:
  Signal() : slots_(std::make_shared<signal_detail::Slots>()) {}
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;

  [[nodiscard]] Connection connect(std::function<void()> fn) { return Add(std::move(fn), false); }
  // Raises the event.
  void emit() const;
  void operator()() const { emit(); }
  // Whether the program's own handler is bound (see HandlerTable).
  bool HasHandler() const { return slots_->has_handler; }

 private:
  friend class HandlerTable;
  Connection Add(std::function<void()> fn, bool handler);

  std::shared_ptr<signal_detail::Slots> slots_;
};

// The program's own handlers of one window's events, bound once each. A
// second binding of an event that already has its handler is a fault of the
// wiring, refused with std::logic_error instead of silently replacing the
// first. The handlers stay bound while the table lives.
class HandlerTable {
 public:
  struct Row {
    Signal& event;
    const char* name;
    std::function<void()> handler;
  };

  explicit HandlerTable(std::string window) : window_(std::move(window)) {}
  HandlerTable(const HandlerTable&) = delete;
  HandlerTable& operator=(const HandlerTable&) = delete;

  void Bind(std::initializer_list<Row> rows);
  std::size_t Count() const { return bound_.size(); }

 private:
  std::string window_;
  std::vector<Connection> bound_;
};

}  // namespace horalux
