#include "win32/engine/log_view.h"

#include <stdexcept>
#include <string>

#include "win32/platform/wide.h"

namespace horalux {

namespace {

// A shown edit control draws every line a change touches there and then,
// which under Wine costs many times the change itself. While the view
// changes, the page that holds it draws nothing; the page is drawn once,
// when the window's messages are next handled.
class QuietChange {
 public:
  // A hidden page is left as it is: turning its drawing back on would show it.
  explicit QuietChange(HWND edit) : page_(IsWindowVisible(edit) ? GetParent(edit) : nullptr) {
    if (page_) SendMessageW(page_, WM_SETREDRAW, FALSE, 0);
  }
  ~QuietChange() {
    if (!page_) return;
    SendMessageW(page_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(page_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  QuietChange(const QuietChange&) = delete;
  QuietChange& operator=(const QuietChange&) = delete;

 private:
  HWND page_;
};

}  // namespace

void WinLogView::attach(HWND edit) {
  edit_ = edit;
  // The default limit (32767 characters) would cut a long log short when
  // entries are added in place.
  SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
  if (!held_.empty()) SetWindowTextW(edit_, win32::Widen(held_).c_str());
  held_.clear();
  held_.shrink_to_fit();
}

HWND WinLogView::Control() {
  if (!edit_ && make_control_) make_control_();
  if (!edit_) throw std::logic_error("the log view has no control");
  return edit_;
}

int WinLogView::length() const {
  return GetWindowTextLengthW(edit_);
}

std::string WinLogView::text() {
  if (!edit_) return held_;
  std::wstring w(static_cast<std::size_t>(length()) + 1, L'\0');
  int n = GetWindowTextW(edit_, w.data(), static_cast<int>(w.size()));
  w.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return win32::Narrow(w);
}

void WinLogView::set_text(const std::string& text) {
  if (!edit_) {
    held_ = text;
    return;
  }
  QuietChange quiet(edit_);
  SetWindowTextW(edit_, win32::Widen(text).c_str());
}

void WinLogView::append_text(const std::string& text) {
  if (!edit_) {
    held_ += text;
    return;
  }
  QuietChange quiet(edit_);
  int end = length();
  SendMessageW(edit_, EM_SETSEL, end, end);
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(win32::Widen(text).c_str()));
}

int WinLogView::shown_line_count() {
  Control();
  // The control counts one (empty) line even when it holds no text.
  if (length() == 0) return 0;
  return static_cast<int>(SendMessageW(edit_, EM_GETLINECOUNT, 0, 0));
}

void WinLogView::delete_top_shown_lines(int count) {
  if (count <= 0) return;
  Control();
  QuietChange quiet(edit_);
  // The start of the first shown line kept: inside a wrapped text line when
  // that line wraps, so only its first parts go.
  LRESULT end = count < shown_line_count() ? SendMessageW(edit_, EM_LINEINDEX, count, 0) : -1;
  if (end < 0) end = length();
  SendMessageW(edit_, EM_SETSEL, 0, end);
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

int WinLogView::caret_line() {
  DWORD start = 0;
  SendMessageW(Control(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(SendMessageW(edit_, EM_LINEFROMCHAR, start, 0));
}

void WinLogView::scroll_lines(int delta) {
  QuietChange quiet(Control());
  SendMessageW(edit_, EM_LINESCROLL, 0, delta);
}

void WinLogView::set_caret_line(int line) {
  QuietChange quiet(Control());
  LRESULT at = line < 0 ? 0 : SendMessageW(edit_, EM_LINEINDEX, line, 0);
  if (at < 0) at = length();
  SendMessageW(edit_, EM_SETSEL, at, at);
  SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
}

void WinLogView::focus() {
  SetFocus(Control());
}

}  // namespace horalux
