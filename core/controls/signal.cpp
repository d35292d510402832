#include "core/controls/signal.h"

#include <algorithm>
#include <stdexcept>

namespace horalux {

Connection::Connection(Connection&& other) noexcept
    : slots_(std::move(other.slots_)), slot_(std::move(other.slot_)) {}

Connection& Connection::operator=(Connection&& other) noexcept {
  if (this != &other) {
    disconnect();
    slots_ = std::move(other.slots_);
    slot_ = std::move(other.slot_);
  }
  return *this;
}

void Connection::disconnect() {
  if (!slot_) return;
  slot_->connected = false;
  if (auto slots = slots_.lock()) {
    if (slot_->handler) slots->has_handler = false;
    std::erase(slots->list, slot_);
  }
  slot_.reset();
  slots_.reset();
}

bool Connection::connected() const {
  return slot_ && slot_->connected && !slots_.expired();
}

void Signal::emit() const {
  // A copy, so that observers may connect, disconnect or destroy the model
  // while it is being raised.
  const std::vector<std::shared_ptr<signal_detail::Slot>> now = slots_->list;
  for (const auto& slot : now)
    if (slot->connected) slot->fn();
}

Connection Signal::Add(std::function<void()> fn, bool handler) {
  auto slot = std::make_shared<signal_detail::Slot>();
  slot->fn = std::move(fn);
  slot->handler = handler;
  slots_->list.push_back(slot);
  if (handler) slots_->has_handler = true;
  return Connection(slots_, std::move(slot));
}

void HandlerTable::Bind(std::initializer_list<Row> rows) {
  for (const Row& row : rows) {
    if (row.event.HasHandler())
      throw std::logic_error(window_ + ": " + row.name + " is bound twice");
    bound_.push_back(row.event.Add(row.handler, true));
  }
}

}  // namespace horalux
