#pragma once
#include <functional>
#include <string>
#include <vector>

#include "core/install/startup_task.h"
#include "core/platform/files.h"
#include "core/platform/message_pump.h"
#include "core/platform/windowing.h"

namespace horalux {

inline constexpr const char* kApplicationWindowClass = "TApplication";

// How the entry reaches the main window, which the caller builds.
struct FormLifecycle {
  // Creates the main window object and runs its start-up sequence; returns
  // false when the sequence failed.
  std::function<bool()> create;
  std::function<void()> show;
  // A copy started elevated only to register or remove this user's logon
  // task: does it and gives the exit code.
  std::function<int(ElevatedRequest request)> task_only;
};

// The program entry: single-instance rule, main window, event loop.
// Returns the process exit code.
int RunProgram(Files& files, Windowing& windowing, MessagePump& pump,
               const std::vector<std::string>& params, const FormLifecycle& form);

}  // namespace horalux
