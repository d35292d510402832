#pragma once
#include <string>

namespace horalux {

// The access-log view: read-only multi-line text that wraps long lines at its
// width. Text is UTF-8 with CR LF between lines; a text that ends with CR LF
// has an empty last line. "Shown lines" count wrapped parts one by one.
class LogView {
 public:
  virtual ~LogView() = default;
  virtual std::string text() = 0;
  virtual void set_text(const std::string& text) = 0;
  // Adds text at the very end, as it is (no line break is added). A view
  // that can append in place should, so that its scroll position stays.
  virtual void append_text(const std::string& text) { set_text(this->text() + text); }
  // Lines as shown, wrapped parts counted one by one; 0 when the text is empty.
  virtual int shown_line_count() = 0;
  // Deletes the first `count` shown lines (wrapped parts, not whole text
  // lines), with the line break that ends the last one deleted.
  virtual void delete_top_shown_lines(int count) = 0;
  // Shown line of the caret, from 0.
  virtual int caret_line() = 0;
  // Scrolls by shown lines, positive downwards; the view stops at its ends.
  virtual void scroll_lines(int delta) = 0;
  // Puts the caret at the beginning of a shown line (from 0) and scrolls it
  // into view; a line past the end means the end of the text.
  virtual void set_caret_line(int line) = 0;
  virtual void focus() = 0;
};

}  // namespace horalux
