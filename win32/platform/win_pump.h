#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "core/platform/message_pump.h"

namespace horalux {

// The thread's message loop, and window timers on a message-only window.
class WinPump : public MessagePump {
 public:
  // Raises std::runtime_error when its timer window cannot be made.
  WinPump();
  ~WinPump() override;
  void process_messages() override;
  // MsgWaitForMultipleObjectsEx on the watched events and the message queue.
  void wait_events(std::uint32_t max_ms) override;
  void run() override;
  void quit() override;
  bool quitting() const override { return quitting_; }
  void start_timer(int id, std::uint32_t interval_ms, std::function<void()> on_fire) override;
  void stop_timer(int id) override;
  // An event object the waits wake on besides the window messages (at most
  // 63); `on_signaled` runs on this thread when it is set and must reset it.
  void watch(HANDLE event, std::function<void()> on_signaled);
  void unwatch(HANDLE event);
  // The window whose keyboard navigation (tab, arrows) the loop handles.
  void set_dialog_window(HWND hwnd) { dialog_ = hwnd; }
  // Sees every message before the keyboard navigation does; true when it
  // handled the message, which then goes no further.
  void set_preview(std::function<bool(const MSG&)> preview) { preview_ = std::move(preview); }

 private:
  static LRESULT CALLBACK TimerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Dispatch(MSG& msg);
  HWND timer_window_ = nullptr;
  HWND dialog_ = nullptr;
  std::function<bool(const MSG&)> preview_;
  bool quitting_ = false;
  bool messages_owed_ = false;
  std::map<int, std::function<void()>> timers_;
  std::vector<std::pair<HANDLE, std::function<void()>>> watched_;
};

}  // namespace horalux
