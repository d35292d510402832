#pragma once
#include <string>
#include <vector>

#include "core/platform/log_view.h"

namespace horalux::fakes {

// A log view that wraps every text line at `width` characters (UTF-8 code
// points), like an edit control with word wrap and a fixed-pitch font.
class FakeLogView : public LogView {
 public:
  explicit FakeLogView(int width = 1000) : width(width) {}
  std::string text() override;
  void set_text(const std::string& text) override;
  void append_text(const std::string& text) override { set_text(this->text() + text); }
  int shown_line_count() override;
  void delete_top_shown_lines(int count) override;
  int caret_line() override { return caret; }
  void scroll_lines(int delta) override { scrolled += delta; }
  void set_caret_line(int line) override;
  void focus() override { ++focused; }

  int width;
  int caret = 0;
  int scrolled = 0;
  int focused = 0;

 private:
  std::vector<std::string> lines_;  // text lines, without breaks
  bool trailing_break_ = false;
};

}  // namespace horalux::fakes
