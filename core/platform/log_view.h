#pragma once
#include <string>

namespace horalux {

// The access-log view: read-only multi-line text that wraps long lines at its
// width. "Shown lines" count wrapped parts separately; text uses CR LF.
class LogView {
 public:
  virtual ~LogView() = default;
  virtual std::string text() = 0;
  virtual void set_text(const std::string& text) = 0;
  // Lines of text as shown, wrapped parts counted one by one (0 when empty).
  virtual int shown_line_count() = 0;
  // Deletes shown lines from the top: the first `count` wrapped parts.
  virtual void delete_top_shown_lines(int count) = 0;
  // Shown line of the caret, from 0.
  virtual int caret_line() = 0;
  // Scrolls by shown lines, positive downwards.
  virtual void scroll_lines(int delta) = 0;
  // Puts the caret at the beginning of a shown line.
  virtual void set_caret_line(int line) = 0;
  virtual void focus() = 0;
};

}  // namespace horalux
