#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "core/platform/log_view.h"

namespace horalux {

// The access-log view over a multi-line EDIT control that wraps (no
// ES_AUTOHSCROLL). The control is the caller's; this only talks to it.
// Until the control is attached the view holds its text itself, so that a
// window that is never shown never makes it; whatever needs the control
// (wrapped lines, the caret, the focus) first has it made.
class WinLogView : public LogView {
 public:
  // The main window makes its view before the page that holds the control.
  WinLogView() = default;
  explicit WinLogView(HWND edit) { attach(edit); }
  // Takes the control, with the text held until now.
  void attach(HWND edit);
  // Called when the control is needed and not yet attached; it attaches it.
  void set_control_maker(std::function<void()> make) { make_control_ = std::move(make); }

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
  // The control, made when it is still missing.
  HWND Control();
  HWND edit_ = nullptr;
  std::string held_;
  std::function<void()> make_control_;
};

}  // namespace horalux
