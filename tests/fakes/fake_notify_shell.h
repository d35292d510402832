#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/notify_shell.h"

namespace horalux::fakes {

// A notification area in memory. It holds icons as a shell does (an add of
// a known id or a change of an unknown one is refused with error 1168), and
// takes scripted refusals on top. Every call is logged in order.
class FakeNotifyShell : public NotifyShell {
 public:
  struct Icon {
    std::optional<std::uint32_t> callback_message;
    ImageId image = 0;
    std::optional<std::string> tip;
    bool hidden = false;
    bool long_form = false;
  };
  struct Popup {
    std::vector<PopupMenuEntry> entries;
    ScreenPoint at;
    std::function<void(std::size_t)> on_choose;
  };
  // A scripted refusal: the call fails and last_error() reports `error`.
  // With carried_out, the shell did the work all the same, as a busy
  // taskbar does when it times out.
  struct Refusal {
    std::uint32_t error;
    bool carried_out = false;
  };

  bool add_icon(const NotifyIconRecord& record) override;
  bool modify_icon(const NotifyIconRecord& record) override;
  bool delete_icon(const NotifyIconRecord& record) override;
  std::uint32_t last_error() override { return error; }
  int shell_major_version() override { return shell_version; }
  bool xp_or_later() override { return xp; }
  std::uint32_t double_click_time_ms() override { return double_click_ms; }
  ImageId window_icon(WindowId window) override;
  ImageId application_icon() override { return app_icon; }
  void popup_menu(const std::vector<PopupMenuEntry>& entries, ScreenPoint at,
                  std::function<void(std::size_t)> on_choose) override;
  bool has_callback_window() override { return callback_window_made > 0; }
  void create_callback_window(WindowId owner, std::uint32_t message,
                              NotifyReport on_message) override;

  // The shell reporting a mouse action or key on icon `id` to the callback
  // window, with the icon's anchor point in the newer report form:
  // delivered only when the window exists and the icon is held.
  void mouse(std::uint32_t id, std::uint32_t mouse_message,
             std::optional<ScreenPoint> anchor = std::nullopt);

  // Icons held, by id.
  std::map<std::uint32_t, Icon> icons;
  // "add 1", "modify 1", "delete 1", "popup 10,20".
  std::vector<std::string> calls;
  // Every record sent to add, modify or delete, in order.
  std::vector<NotifyIconRecord> records;
  std::deque<Refusal> add_refusals;
  std::deque<Refusal> modify_refusals;

  int shell_version = 6;
  bool xp = true;
  std::uint32_t double_click_ms = 500;
  std::map<WindowId, ImageId> window_icons;
  ImageId app_icon = 0x5000;
  std::uint32_t error = 0;

  int callback_window_made = 0;
  WindowId callback_owner = 0;
  std::uint32_t callback_message = 0;
  NotifyReport on_callback;

  std::vector<Popup> popups;
};

// The pointer and the foreground, logging each change of the foreground
// into the log it is given ("foreground 7"), so that it falls in line with
// the shell's calls.
class FakePointerFocus : public PointerFocus {
 public:
  explicit FakePointerFocus(std::vector<std::string>& calls) : calls_(calls) {}
  ScreenPoint pointer_position() override { return pointer; }
  WindowId active_window() override { return active; }
  void bring_to_foreground(WindowId window) override {
    calls_.push_back("foreground " + std::to_string(window));
  }

  ScreenPoint pointer{640, 700};
  WindowId active = 0;

 private:
  std::vector<std::string>& calls_;
};

}  // namespace horalux::fakes
