#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/pointer_focus.h"

namespace horalux {

// An icon image as the OS holds it (the handle's value); 0 means none.
using ImageId = std::uintptr_t;

// One icon as the shell is told about it. Each optional part is sent only
// when present; the shell keeps what it is not told.
struct NotifyIconRecord {
  // The long record (488 bytes in its ANSI form, shells of version 5 and
  // later) or the short one (88 bytes): only the long one carries a state.
  bool long_form = false;
  // The instance number; with the callback window it names the icon.
  std::uint32_t id = 0;
  // The window message the shell sends to the callback window for mouse
  // actions on the icon.
  std::optional<std::uint32_t> callback_message;
  std::optional<ImageId> image;
  // The tip, UTF-8; the caller keeps it within 63 bytes of its code-page-932
  // form. Absent: no tip is sent.
  std::optional<std::string> tip;
  // Hidden (true) or shown (false); long form only.
  std::optional<bool> hidden;
};

// One line of a popup menu as the shell shows it. A caption "-" is a
// separator line.
struct PopupMenuEntry {
  std::string caption;  // UTF-8, "&" marks the access key
  bool visible = true;
  bool enabled = true;
};

// The taskbar's notification area: the icons, their callback window and
// their menus. Everything runs on the user-interface thread.
class NotifyShell {
 public:
  virtual ~NotifyShell() = default;

  // Puts a new icon into the notification area; true when the shell
  // accepted it. The icon's mouse actions go to the callback window.
  virtual bool add_icon(const NotifyIconRecord& record) = 0;
  // Changes the parts the record carries of an icon the shell holds; true
  // when accepted.
  virtual bool modify_icon(const NotifyIconRecord& record) = 0;
  // Takes the icon out of the notification area; true when accepted.
  virtual bool delete_icon(const NotifyIconRecord& record) = 0;
  // The system's error number of the last refused call (1460: time-out).
  virtual std::uint32_t last_error() = 0;

  // Major file version of the shell library (shell32.dll in the system
  // folder), e.g. 6; 0 when it cannot be read.
  virtual int shell_major_version() = 0;
  // Whether the system is Windows XP (5.1) or later.
  virtual bool xp_or_later() = 0;
  // The longest gap between the two clicks of a double click, milliseconds.
  virtual std::uint32_t double_click_time_ms() = 0;

  // The icon a window shows in its caption; 0 when it has none.
  virtual ImageId window_icon(WindowId window) = 0;
  // The program's own icon; 0 when it has none.
  virtual ImageId application_icon() = 0;

  // Shows a popup menu with its top-left corner at the given point and
  // returns when it closes. When the user chose an entry, on_choose gets its
  // index in `entries` later, from the event loop, once the menu is gone.
  virtual void popup_menu(const std::vector<PopupMenuEntry>& entries, ScreenPoint at,
                          std::function<void(std::size_t index)> on_choose) = 0;

  // Whether this program's hidden callback window exists.
  virtual bool has_callback_window() = 0;
  // The callback window's handler of one report: the instance number, the
  // mouse message (512 move ... 520 middle release) or, on a shell that
  // reports the keyboard, 0x7B for the menu key and 0x401 for Enter or Space
  // on the icon, and the icon's anchor point in screen pixels where the
  // shell tells it (the newer report form), absent otherwise.
  using NotifyReport = std::function<void(std::uint32_t id, std::uint32_t mouse_message,
                                          std::optional<ScreenPoint> anchor)>;
  // Creates the hidden callback window, owned by and placed inside `owner`
  // (a window of its own when owner is 0). Every window message `message`
  // that reaches it is handed to on_message.
  virtual void create_callback_window(WindowId owner, std::uint32_t message,
                                      NotifyReport on_message) = 0;
};

}  // namespace horalux
