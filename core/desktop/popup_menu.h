#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "core/controls/signal.h"
#include "core/platform/notify_shell.h"

namespace horalux {

// One entry of a popup menu.
class TMenuItem {
 public:
  TMenuItem(std::string name, std::string caption)
      : Caption(std::move(caption)), name_(std::move(name)) {}
  TMenuItem(const TMenuItem&) = delete;
  TMenuItem& operator=(const TMenuItem&) = delete;

  const std::string& Name() const { return name_; }
  // Runs OnClick, unless the entry is disabled.
  void Click();

  std::string Caption;
  bool Visible = true;
  bool Enabled = true;
  Signal OnClick;

 private:
  std::string name_;
};

// A popup menu: the core keeps its entries; the shell shows it.
class TPopupMenu {
 public:
  explicit TPopupMenu(std::string name) : name_(std::move(name)) {}
  TPopupMenu(const TPopupMenu&) = delete;
  TPopupMenu& operator=(const TPopupMenu&) = delete;

  const std::string& Name() const { return name_; }
  // Appends an entry; the menu owns it and its address stays valid.
  TMenuItem& Add(std::string name, std::string caption);
  std::size_t Count() const { return items_.size(); }
  TMenuItem& Item(std::size_t index) { return *items_.at(index); }

  // Runs OnPopup, then shows the menu at the given point through the shell.
  // The chosen entry's click runs later, from the event loop.
  void Popup(NotifyShell& shell, ScreenPoint at);
  // Runs the click of the entry at `index`; nothing when there is none.
  void Choose(std::size_t index);

  // Runs just before the menu opens, so it can adjust its entries.
  Signal OnPopup;

 private:
  std::string name_;
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

}  // namespace horalux
