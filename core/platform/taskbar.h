#pragma once
#include <functional>

namespace horalux {

// The taskbar that holds the notification area.
class Taskbar {
 public:
  virtual ~Taskbar() = default;
  // Whether the taskbar's window exists (it may not yet, early at logon).
  virtual bool exists() = 0;
  // on_created runs from the event loop each time the taskbar is created
  // anew (Explorer started or restarted), also in an elevated program.
  virtual void watch_restarts(std::function<void()> on_created) = 0;
};

}  // namespace horalux
