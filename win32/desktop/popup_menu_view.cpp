#include "win32/desktop/popup_menu_view.h"

#include "win32/platform/wide.h"

namespace horalux::win32 {

UniqueMenu BuildPopupMenu(const std::vector<PopupMenuEntry>& entries) {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu.get()) return menu;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const PopupMenuEntry& entry = entries[i];
    if (!entry.visible) continue;
    if (entry.caption == "-") {
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED);
    AppendMenuW(menu.get(), flags, static_cast<UINT_PTR>(i + 1), Widen(entry.caption).c_str());
  }
  return menu;
}

std::optional<std::size_t> TrackPopup(HWND owner, const std::vector<PopupMenuEntry>& entries,
                                      ScreenPoint at) {
  UniqueMenu menu = BuildPopupMenu(entries);
  if (!menu.get()) return std::nullopt;
  UINT command = static_cast<UINT>(
      TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                     at.x, at.y, 0, owner, nullptr));
  // Without a message after it, a menu opened from the notification area
  // may fail to open the next time.
  PostMessageW(owner, WM_NULL, 0, 0);
  if (command == 0) return std::nullopt;
  return static_cast<std::size_t>(command - 1);
}

}  // namespace horalux::win32
