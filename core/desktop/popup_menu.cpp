#include "core/desktop/popup_menu.h"

namespace horalux {

void TMenuItem::Click() {
  if (Enabled) OnClick();
}

TMenuItem& TPopupMenu::Add(std::string name, std::string caption) {
  items_.push_back(std::make_unique<TMenuItem>(std::move(name), std::move(caption)));
  return *items_.back();
}

void TPopupMenu::Popup(NotifyShell& shell, ScreenPoint at) {
  OnPopup();
  std::vector<PopupMenuEntry> entries;
  entries.reserve(items_.size());
  for (const auto& item : items_) entries.push_back({item->Caption, item->Visible, item->Enabled});
  shell.popup_menu(entries, at, [this](std::size_t index) { Choose(index); });
}

void TPopupMenu::Choose(std::size_t index) {
  // The choice arrives from the event loop after the menu has closed; by then
  // an entry may have been switched off.
  if (index >= items_.size()) return;
  TMenuItem& item = *items_[index];
  if (item.Visible) item.Click();
}

}  // namespace horalux
