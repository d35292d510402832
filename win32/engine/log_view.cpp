#include "win32/engine/log_view.h"

#include <string>

#include "win32/platform/wide.h"

namespace horalux {

void WinLogView::attach(HWND edit) {
  edit_ = edit;
  // The default limit (32767 characters) would cut a long log short when
  // entries are added in place.
  SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
}

int WinLogView::length() const {
  return GetWindowTextLengthW(edit_);
}

std::string WinLogView::text() {
  std::wstring w(static_cast<std::size_t>(length()) + 1, L'\0');
  int n = GetWindowTextW(edit_, w.data(), static_cast<int>(w.size()));
  w.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return win32::Narrow(w);
}

void WinLogView::set_text(const std::string& text) {
  SetWindowTextW(edit_, win32::Widen(text).c_str());
}

void WinLogView::append_text(const std::string& text) {
  int end = length();
  SendMessageW(edit_, EM_SETSEL, end, end);
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(win32::Widen(text).c_str()));
}

int WinLogView::shown_line_count() {
  // The control counts one (empty) line even when it holds no text.
  if (length() == 0) return 0;
  return static_cast<int>(SendMessageW(edit_, EM_GETLINECOUNT, 0, 0));
}

void WinLogView::delete_top_shown_lines(int count) {
  if (count <= 0) return;
  // The start of the first shown line kept: inside a wrapped text line when
  // that line wraps, so only its first parts go.
  LRESULT end = count < shown_line_count() ? SendMessageW(edit_, EM_LINEINDEX, count, 0) : -1;
  if (end < 0) end = length();
  SendMessageW(edit_, EM_SETSEL, 0, end);
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

int WinLogView::caret_line() {
  DWORD start = 0;
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(SendMessageW(edit_, EM_LINEFROMCHAR, start, 0));
}

void WinLogView::scroll_lines(int delta) {
  SendMessageW(edit_, EM_LINESCROLL, 0, delta);
}

void WinLogView::set_caret_line(int line) {
  LRESULT at = line < 0 ? 0 : SendMessageW(edit_, EM_LINEINDEX, line, 0);
  if (at < 0) at = length();
  SendMessageW(edit_, EM_SETSEL, at, at);
  SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
}

void WinLogView::focus() {
  SetFocus(edit_);
}

}  // namespace horalux
