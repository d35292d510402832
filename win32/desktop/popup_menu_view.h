#pragma once
#include <windows.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "core/platform/notify_shell.h"
#include "win32/platform/handle.h"

namespace horalux::win32 {

// A real popup menu for the core's entries. Entry i gets the command id
// i + 1; hidden entries are left out, disabled ones are greyed.
UniqueMenu BuildPopupMenu(const std::vector<PopupMenuEntry>& entries);

// Shows the entries as a popup menu at a screen point and waits until it
// closes; the index of the chosen entry, none when the menu was dismissed.
std::optional<std::size_t> TrackPopup(HWND owner, const std::vector<PopupMenuEntry>& entries,
                                      ScreenPoint at);

}  // namespace horalux::win32
