#pragma once
#include <string>
#include <vector>

#include "core/platform/elevated_launch.h"
#include "core/platform/files.h"
#include "core/platform/shell.h"
#include "core/platform/task_service.h"
#include "core/platform/user_token.h"

namespace horalux {

// The parameters of an elevated copy that only registers or removes this
// user's logon task: read before the single-instance check, no window.
inline constexpr const char* kRegisterTaskParameter = "/task:register";
inline constexpr const char* kRemoveTaskParameter = "/task:remove";
// The parameter of an elevated copy that opens the setup window at once.
inline constexpr const char* kOpenSetupParameter = "/setup";

// What a copy was started for by another copy that asked for elevation.
enum class ElevatedRequest { None, RegisterTask, RemoveTask, OpenSetup };
ElevatedRequest FindElevatedRequest(const std::vector<std::string>& params);

// Exit codes of a task-only copy.
inline constexpr int kTaskDone = 0;
inline constexpr int kTaskRefused = 1;  // the service refused the change
inline constexpr int kTaskNotHere = 2;  // this copy is not an installed one

// The ports the start-up registration reaches besides files and the shell.
struct TaskPorts {
  UserToken& token;
  TaskService& tasks;
  ElevatedLauncher& launcher;
};

// The Task Scheduler side of the start-up registration: this user's logon
// task that starts the installed copy elevated.
class StartupTask {
 public:
  StartupTask(TaskPorts ports, Shell& shell, Files& files)
      : ports_(ports), shell_(shell), files_(files) {}

  Elevation UserElevation() { return ports_.token.elevation(); }
  // Whether this program lies where standard users cannot write, the only
  // place a task may start it from.
  bool IsInstalledCopy(const std::string& program);
  bool Exists();
  // Registers the task for `program` directly; needs an elevated process.
  bool Register(const std::string& program);
  // True when no task is left.
  bool Remove();
  // Starts an elevated copy of `program` that registers or removes the
  // task, and waits for it.
  ElevatedStart RunElevated(const std::string& program, bool register_task);
  // Starts an elevated copy of `program` and returns at once.
  ElevatedStart StartElevated(const std::string& program, const std::string& parameters,
                              const std::string& working_folder) {
    return ports_.launcher.start(program, parameters, working_folder);
  }
  // What the elevated copy does; returns its exit code.
  int RunTaskOnly(bool register_task);

 private:
  std::string Name();

  TaskPorts ports_;
  Shell& shell_;
  Files& files_;
};

}  // namespace horalux
