#pragma once
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace horalux {

class Connection;

namespace signal_detail {
struct Slot {
  virtual ~Slot() = default;
  bool connected = true;
  // The program's own handler of the event, as a window's table binds it.
  bool handler = false;
};
template <class... Args>
struct SlotOf : Slot {
  std::function<void(Args...)> fn;
};
struct Slots {
  std::vector<std::shared_ptr<Slot>> list;
  bool has_handler = false;
};
// Appends `slot` to the observers in `slots`.
Connection Attach(const std::shared_ptr<Slots>& slots, std::shared_ptr<Slot> slot);
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
  friend Connection signal_detail::Attach(const std::shared_ptr<signal_detail::Slots>&,
                                          std::shared_ptr<signal_detail::Slot>);
  Connection(std::weak_ptr<signal_detail::Slots> slots, std::shared_ptr<signal_detail::Slot> slot)
      : slots_(std::move(slots)), slot_(std::move(slot)) {}

  std::weak_ptr<signal_detail::Slots> slots_;
  std::shared_ptr<signal_detail::Slot> slot_;
};

class HandlerTable;

// An event that any number of observers hear, in the order they connected,
// each with the event's arguments. An observer connected or disconnected
// while the signal is being raised takes effect from the next raise.
template <class... Args>
class SignalOf {
 public:
  SignalOf() : slots_(std::make_shared<signal_detail::Slots>()) {}
  SignalOf(const SignalOf&) = delete;
  SignalOf& operator=(const SignalOf&) = delete;

  [[nodiscard]] Connection connect(std::function<void(Args...)> fn) {
    return Add(std::move(fn), false);
  }
  // Raises the event.
  void emit(Args... args) const {
    // A copy, so that observers may connect, disconnect or destroy the
    // signal's owner while it is being raised.
    const std::vector<std::shared_ptr<signal_detail::Slot>> now = slots_->list;
    for (const auto& slot : now)
      if (slot->connected) static_cast<const signal_detail::SlotOf<Args...>&>(*slot).fn(args...);
  }
  void operator()(Args... args) const { emit(args...); }
  // Whether the program's own handler is bound (see HandlerTable).
  bool HasHandler() const { return slots_->has_handler; }
  // Whether anyone, handler or observer, hears the event.
  bool Heard() const { return !slots_->list.empty(); }

 private:
  friend class HandlerTable;
  Connection Add(std::function<void(Args...)> fn, bool handler) {
    auto slot = std::make_shared<signal_detail::SlotOf<Args...>>();
    slot->fn = std::move(fn);
    slot->handler = handler;
    return signal_detail::Attach(slots_, std::move(slot));
  }

  std::shared_ptr<signal_detail::Slots> slots_;
};

// The event of a control model without arguments.
using Signal = SignalOf<>;

// The program's own handlers of one window's events, bound once each. A
// second binding of an event that already has its handler is a fault of the
// wiring, refused with std::logic_error instead of silently replacing the
// first. The handlers stay bound while the table lives.
class HandlerTable {
 public:
  // One event with its handler, which takes the event's arguments.
  class Row {
   public:
    template <class... Args>
    Row(SignalOf<Args...>& event, const char* name,
        std::type_identity_t<std::function<void(Args...)>> handler)
        : name_(name), slots_(event.slots_) {
      auto slot = std::make_shared<signal_detail::SlotOf<Args...>>();
      slot->fn = std::move(handler);
      slot->handler = true;
      slot_ = std::move(slot);
    }

   private:
    friend class HandlerTable;
    const char* name_;
    std::shared_ptr<signal_detail::Slots> slots_;
    std::shared_ptr<signal_detail::Slot> slot_;
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
