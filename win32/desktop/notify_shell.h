#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "core/platform/notify_shell.h"

namespace horalux {

// The notification area through Shell_NotifyIconW. The shell reports mouse
// actions to a hidden callback window inside the owner window; menu choices
// come back through a message-only window, so that they run from the event
// loop once the menu is gone.
class WinNotifyShell : public NotifyShell {
 public:
  // Raises std::runtime_error when its message-only window cannot be made.
  WinNotifyShell();
  ~WinNotifyShell() override;
  WinNotifyShell(const WinNotifyShell&) = delete;
  WinNotifyShell& operator=(const WinNotifyShell&) = delete;

  bool add_icon(const NotifyIconRecord& record) override;
  bool modify_icon(const NotifyIconRecord& record) override;
  bool delete_icon(const NotifyIconRecord& record) override;
  std::uint32_t last_error() override { return last_error_; }
  int shell_major_version() override;
  bool xp_or_later() override;
  std::uint32_t double_click_time_ms() override;
  ImageId window_icon(WindowId window) override;
  ImageId application_icon() override;
  void popup_menu(const std::vector<PopupMenuEntry>& entries, ScreenPoint at,
                  std::function<void(std::size_t)> on_choose) override;
  bool has_callback_window() override;
  void create_callback_window(WindowId owner, std::uint32_t message,
                              NotifyReport on_message) override;

  HWND callback_window() const { return callback_; }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool Send(DWORD action, const NotifyIconRecord& record);
  // Runs `task` later on this object's thread, from its event loop.
  bool PostTask(std::function<void()> task);
  // A hidden window of this object's class; raises std::runtime_error when
  // the system refuses it.
  HWND MakeWindow(HWND parent, DWORD style);

  HWND task_window_ = nullptr;
  HWND callback_ = nullptr;
  UINT callback_message_ = 0;
  NotifyReport on_message_;
  std::uint32_t last_error_ = 0;
};

}  // namespace horalux
