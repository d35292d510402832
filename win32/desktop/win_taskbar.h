#pragma once
#include <windows.h>

#include <functional>

#include "core/platform/taskbar.h"

namespace horalux {

// The taskbar (window class "Shell_TrayWnd") and its TaskbarCreated
// broadcast, which reaches only top-level windows: a hidden one of its own
// listens for it.
class WinTaskbar : public Taskbar {
 public:
  WinTaskbar() = default;
  ~WinTaskbar() override;
  WinTaskbar(const WinTaskbar&) = delete;
  WinTaskbar& operator=(const WinTaskbar&) = delete;

  bool exists() override;
  // Raises std::runtime_error when its window cannot be made.
  void watch_restarts(std::function<void()> on_created) override;

  HWND listener() const { return listener_; }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  HWND listener_ = nullptr;
  UINT taskbar_created_ = 0;
  std::function<void()> on_created_;
};

}  // namespace horalux
