#pragma once
#include <windows.h>

#include "core/platform/log_view.h"

namespace horalux {

// The access-log view over a multi-line EDIT control that wraps (no
// ES_AUTOHSCROLL). The control is the caller's; this only talks to it.
class WinLogView : public LogView {
 public:
  // The main window makes its view before the page that holds the control.
  WinLogView() = default;
  explicit WinLogView(HWND edit) { attach(edit); }
  void attach(HWND edit);
  std::string text() override;
  void set_text(const std::string& text) override;
  void append_text(const std::string& text) override;
  int shown_line_count() override;
  void delete_top_shown_lines(int count) override;
  int caret_line() override;
  void scroll_lines(int delta) override;
  void set_caret_line(int line) override;
  void focus() override;

 private:
  int length() const;
  HWND edit_ = nullptr;
};

}  // namespace horalux
