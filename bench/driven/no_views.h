// The log view and tray icon a benchmark's engine writes to when nothing is
// on screen: the figures come from the engine, not from what it shows.
#pragma once

#include <string>

#include "core/engine/cycle_icon.h"
#include "core/platform/log_view.h"

namespace horalux {

class NoLogView : public LogView {
 public:
  std::string text() override { return {}; }
  void set_text(const std::string&) override {}
  int shown_line_count() override { return 0; }
  void delete_top_shown_lines(int) override {}
  int caret_line() override { return 0; }
  void scroll_lines(int) override {}
  void set_caret_line(int) override {}
  void focus() override {}
};

class NoIcon : public CycleIcon {
 public:
  void ShowWithTip(const std::string&) override {}
};

}  // namespace horalux
