#include "win32/platform/win_pump.h"

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <string>

#include "win32/platform/wide.h"
#include "win32/platform/window_class.h"
#include "win32/platform/window_state.h"

namespace horalux {
namespace {
constexpr wchar_t kTimerClass[] = L"HoraluxTimerWindow";
}

// Without its window no timer would ever fire: the watchdog and the
// icon's click would stay silent, so the program does not start at all.
WinPump::WinPump() {
  win32::RegisterWindowClass(kTimerClass, TimerProc);
  timer_window_ = win32::CreateWindowOrThrow(0, kTimerClass, 0, HWND_MESSAGE, this);
}

WinPump::~WinPump() {
  if (timer_window_) DestroyWindow(timer_window_);
}

LRESULT CALLBACK WinPump::TimerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = win32::WindowState<WinPump>(hwnd, msg, lp);
  if (msg == WM_TIMER) {
    if (self) {
      auto it = self->timers_.find(static_cast<int>(wp));
      if (it != self->timers_.end()) {
        auto callback = it->second;  // the handler may stop its own timer
        callback();
      }
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void WinPump::Dispatch(MSG& msg) {
  if (preview_ && preview_(msg)) return;
  if (dialog_ && IsWindow(dialog_) && IsDialogMessageW(dialog_, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void WinPump::process_messages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the end request for the real loop.
      quitting_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

void WinPump::wait_events(std::uint32_t max_ms) {
  // What the last pass left for the network's sake goes first, so that a
  // busy socket never starves the window.
  if (std::exchange(messages_owed_, false)) process_messages();
  std::vector<HANDLE> handles;
  for (const auto& [event, on_signaled] : watched_) handles.push_back(event);
  const DWORD count =
      static_cast<DWORD>(std::min<std::size_t>(handles.size(), MAXIMUM_WAIT_OBJECTS - 1));
  // MWMO_INPUTAVAILABLE: messages already seen by an earlier PeekMessage
  // still wake the wait instead of sleeping the full time next to them.
  const DWORD woke =
      MsgWaitForMultipleObjectsEx(count, handles.data(), max_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (woke < WAIT_OBJECT_0 + count) {
    HANDLE signaled = handles[woke - WAIT_OBJECT_0];
    for (const auto& [event, on_signaled] : watched_) {
      if (event != signaled) continue;
      auto callback = on_signaled;  // it may unwatch its own event
      callback();
      // The messages wait for the next pass: whoever waited for the
      // network sees its event before any window work.
      messages_owed_ = true;
      return;
    }
  } else if (woke == WAIT_FAILED) {
    Sleep(1);  // never a busy loop, whatever broke the wait
  }
  process_messages();
}

void WinPump::watch(HANDLE event, std::function<void()> on_signaled) {
  unwatch(event);
  watched_.emplace_back(event, std::move(on_signaled));
}

void WinPump::unwatch(HANDLE event) {
  std::erase_if(watched_, [event](const auto& w) { return w.first == event; });
}

void WinPump::run() {
  if (quitting_) return;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
  quitting_ = true;
}

void WinPump::quit() {
  if (quitting_) return;
  quitting_ = true;
  PostQuitMessage(0);
}

void WinPump::start_timer(int id, std::uint32_t interval_ms, std::function<void()> on_fire) {
  // A timer the system refused would leave the watchdog, the icon's click or
  // an HTTP time-out waiting for ever: the caller hears of it instead.
  if (SetTimer(timer_window_, static_cast<UINT_PTR>(id), interval_ms, nullptr) == 0) {
    const DWORD error = GetLastError();
    stop_timer(id);
    throw std::runtime_error("SetTimer: " + win32::SystemErrorText(error) + " (" +
                             std::to_string(error) + ")");
  }
  timers_[id] = std::move(on_fire);
}

void WinPump::stop_timer(int id) {
  KillTimer(timer_window_, static_cast<UINT_PTR>(id));
  timers_.erase(id);
}

}  // namespace horalux
