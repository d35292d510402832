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

namespace signal_detail {

Connection Attach(const std::shared_ptr<Slots>& slots, std::shared_ptr<Slot> slot) {
  slots->list.push_back(slot);
  if (slot->handler) slots->has_handler = true;
  return Connection(slots, std::move(slot));
}

}  // namespace signal_detail

void HandlerTable::Bind(std::initializer_list<Row> rows) {
  for (const Row& row : rows) {
    if (row.slots_->has_handler)
      throw std::logic_error(window_ + ": " + row.name_ + " is bound twice");
    bound_.push_back(signal_detail::Attach(row.slots_, row.slot_));
  }
}

}  // namespace horalux
