#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "core/platform/message_pump.h"
#include "core/platform/notify_shell.h"

namespace horalux {

// The notification area through Shell_NotifyIconW. The shell reports mouse
// actions to a hidden callback window inside the owner window; background
// waits and menu choices come back through a message-only window, so that
// they run on the thread that made this object.
class WinNotifyShell : public NotifyShell {
 public:
  // `pump`, when given, processes pending events in process_messages();
  // otherwise this object runs the thread's queue itself.
  explicit WinNotifyShell(MessagePump* pump = nullptr);
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
  ScreenPoint pointer_position() override;
  WindowId active_window() override;
  void bring_to_foreground(WindowId window) override;
  ImageId window_icon(WindowId window) override;
  ImageId application_icon() override;
  void process_messages() override;
  void sleep(std::uint32_t milliseconds) override;
  void popup_menu(const std::vector<PopupMenuEntry>& entries, ScreenPoint at,
                  std::function<void(std::size_t)> on_choose) override;
  void start_background_wait(std::uint32_t milliseconds, std::function<void()> on_done) override;
  bool has_callback_window() override;
  void create_callback_window(
      WindowId owner, std::uint32_t message,
      std::function<void(std::uint32_t, std::uint32_t)> on_message) override;

  HWND callback_window() const { return callback_; }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool Send(DWORD action, const NotifyIconRecord& record);
  // Runs `task` later on this object's thread, from its event loop.
  bool PostTask(std::function<void()> task);

  MessagePump* pump_;
  HWND task_window_ = nullptr;
  HWND callback_ = nullptr;
  UINT callback_message_ = 0;
  std::function<void(std::uint32_t, std::uint32_t)> on_message_;
  std::uint32_t last_error_ = 0;
};

}  // namespace horalux
