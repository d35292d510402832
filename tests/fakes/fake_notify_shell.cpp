#include "tests/fakes/fake_notify_shell.h"

namespace horalux::fakes {

namespace {
constexpr std::uint32_t kErrorNotFound = 1168;
constexpr std::uint32_t kErrorAlreadyExists = 183;

// Applies the parts a record carries, as the shell keeps the rest.
void Apply(FakeNotifyShell::Icon& icon, const NotifyIconRecord& record) {
  icon.long_form = record.long_form;
  if (record.callback_message) icon.callback_message = record.callback_message;
  if (record.image) icon.image = *record.image;
  if (record.tip) icon.tip = record.tip;
  if (record.hidden && record.long_form) icon.hidden = *record.hidden;
}
}  // namespace

bool FakeNotifyShell::add_icon(const NotifyIconRecord& record) {
  calls.push_back("add " + std::to_string(record.id));
  records.push_back(record);
  std::optional<Refusal> refusal;
  if (!add_refusals.empty()) {
    refusal = add_refusals.front();
    add_refusals.pop_front();
  }
  if (refusal && !refusal->carried_out) {
    error = refusal->error;
    return false;
  }
  if (icons.count(record.id)) {
    error = kErrorAlreadyExists;
    return false;
  }
  Icon icon;
  // A record without a tip leaves the icon without one.
  Apply(icon, record);
  icons[record.id] = icon;
  if (refusal) {
    error = refusal->error;
    return false;
  }
  return true;
}

bool FakeNotifyShell::modify_icon(const NotifyIconRecord& record) {
  calls.push_back("modify " + std::to_string(record.id));
  records.push_back(record);
  if (!modify_refusals.empty()) {
    error = modify_refusals.front().error;
    modify_refusals.pop_front();
    return false;
  }
  auto it = icons.find(record.id);
  if (it == icons.end()) {
    error = kErrorNotFound;
    return false;
  }
  Apply(it->second, record);
  return true;
}

bool FakeNotifyShell::delete_icon(const NotifyIconRecord& record) {
  calls.push_back("delete " + std::to_string(record.id));
  records.push_back(record);
  if (icons.erase(record.id) == 0) {
    error = kErrorNotFound;
    return false;
  }
  return true;
}

ImageId FakeNotifyShell::window_icon(WindowId window) {
  auto it = window_icons.find(window);
  return it == window_icons.end() ? 0 : it->second;
}

void FakeNotifyShell::popup_menu(const std::vector<PopupMenuEntry>& entries, ScreenPoint at,
                                 std::function<void(std::size_t)> on_choose) {
  calls.push_back("popup " + std::to_string(at.x) + "," + std::to_string(at.y));
  popups.push_back({entries, at, std::move(on_choose)});
}

void FakeNotifyShell::create_callback_window(WindowId owner, std::uint32_t message,
                                             NotifyReport on_message) {
  ++callback_window_made;
  callback_owner = owner;
  callback_message = message;
  on_callback = std::move(on_message);
}

void FakeNotifyShell::mouse(std::uint32_t id, std::uint32_t mouse_message,
                            std::optional<ScreenPoint> anchor) {
  if (!on_callback || !icons.count(id)) return;
  on_callback(id, mouse_message, anchor);
}

}  // namespace horalux::fakes
