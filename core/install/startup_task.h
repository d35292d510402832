#pragma once
#include <string>
#include <vector>

#include "core/install/install_acl.h"
#include "core/platform/clock.h"
#include "core/platform/elevated_launch.h"
#include "core/platform/file_security.h"
#include "core/platform/files.h"
#include "core/platform/shell.h"
#include "core/platform/task_service.h"
#include "core/platform/user_token.h"

namespace horalux {

// The parameters of an elevated copy that only registers (with the daily
// run, or at logon only) or removes this user's logon task: read before the
// single-instance check, no window.
inline constexpr const char* kRegisterTaskParameter = "/task:register";
inline constexpr const char* kRegisterLogonTaskParameter = "/task:register-logon";
inline constexpr const char* kRemoveTaskParameter = "/task:remove";
// The parameter of an elevated copy that opens the setup window at once.
inline constexpr const char* kOpenSetupParameter = "/setup";

// What a copy was started for by another copy that asked for elevation.
enum class ElevatedRequest { None, RegisterTask, RegisterLogonTask, RemoveTask, OpenSetup };
ElevatedRequest FindElevatedRequest(const std::vector<std::string>& params);
bool IsTaskOnly(ElevatedRequest request);

// Whether a registration gives the task its daily run besides the logon:
// as the task there has it (a new task gets it), or as the user chose.
enum class DailyRun { Keep, On, Off };

// Exit codes of a task-only copy.
inline constexpr int kTaskDone = 0;
inline constexpr int kTaskRefused = 1;      // the service refused the change
inline constexpr int kTaskNotHere = 2;      // this copy is not an installed one
inline constexpr int kTaskLooseFolder = 3;  // users other than administrators can change it
inline constexpr int kTaskOtherUser = 4;    // another administrator's token, not the desktop's user

// How a registration ended; each refusal has its exit code above.
enum class TaskRegistration { Registered, Refused, NotInstalled, LooseFolder, OtherUser };
int ExitCodeOf(TaskRegistration registration);
TaskRegistration RegistrationOf(int exit_code);

// The ports the start-up registration reaches besides files and the shell.
struct TaskPorts {
  UserToken& token;
  TaskService& tasks;
  ElevatedLauncher& launcher;
  FileSecurity& security;
  Clock& clock;
};

// The Task Scheduler side of the start-up registration: this user's logon
// task that starts the installed copy elevated.
class StartupTask {
 public:
  StartupTask(TaskPorts ports, Shell& shell, Files& files)
      : ports_(ports), shell_(shell), files_(files) {}

  Elevation UserElevation() { return ports_.token.elevation(); }
  // Whether this run acts for the user logged on to its desktop.
  bool ForLoggedOnUser();
  // Whether this program lies where standard users cannot write, the only
  // place a task may start it from, under a path the scheduler takes as it
  // is (no "%").
  bool IsInstalledCopy(const std::string& program);
  // Whether this user's task is registered for the running executable: its
  // name in the task folder, this user its principal, this executable its
  // program. Anything else there is someone else's, or stale.
  bool Exists();
  // Whether any task of this user's name may be left, in the task folder or
  // in the root folder of earlier releases: also when the service cannot say.
  bool AnyTaskLeft();
  // Whether this user's registered task also runs once a day.
  bool HasDailyRun();
  // Whether the start-up run is, or once registered would be, this user's
  // logon task: only then can it run once a day as well.
  bool CanRunDaily(const std::string& program);
  // What `daily` comes to for a registration now: Keep reads the task there.
  bool WithDailyRun(DailyRun daily);
  // Registers the task for `program` directly, and removes an earlier
  // release's task in the root folder; needs an elevated process. Refused
  // unless every folder of the installation is the administrators' alone;
  // refused for that, or for a "%" in the path, this user's task goes from
  // both folders, so that nothing starts that path elevated any more.
  TaskRegistration Register(const std::string& program, DailyRun daily = DailyRun::Keep);
  // True when no task is left, in the task folder or the root folder.
  bool Remove();
  // A run that an earlier release's task (in the root folder) started
  // elevated moves the task into the task folder.
  void MoveFromRootFolder();
  // Gives a folder that setup made under Program Files the administrators'
  // access rules; any other folder is left as it is.
  void ProtectInstallFolder(const std::string& folder);
  // Makes the administrators the owner of the program that setup just put
  // into such a folder, whoever the system made its owner.
  void ProtectInstalledProgram(const std::string& program);
  // Whether anyone but administrators can change the program or a folder of
  // the installation up to Program Files.
  InstallAccess InstallAccessOf(const std::string& program);
  // Starts an elevated copy of `program` that registers the task (with the
  // daily run or without) or removes it, and waits for it.
  ElevatedStart RunElevated(const std::string& program, ElevatedRequest request);
  // Starts an elevated copy of `program` and waits for its end, however
  // long the user takes in it.
  ElevatedStart StartElevated(const std::string& program, const std::string& parameters,
                              const std::string& working_folder) {
    return ports_.launcher.run_and_wait(program, parameters, working_folder, kNoTimeLimit);
  }
  // What the elevated copy does; returns its exit code.
  int RunTaskOnly(ElevatedRequest request);

 private:
  // A task read back: there, not there, or the service could not tell.
  enum class Presence { Absent, Found, Unknown };
  struct Read {
    Presence presence;
    RegisteredTask task;
  };
  Read ReadTask(const char* folder);
  std::string Name();
  // The Program Files folder that holds `path`; empty for none.
  std::string InstallRoot(const std::string& path);
  bool IsThisUsersTask(const Read& read, const std::string& program);

  TaskPorts ports_;
  Shell& shell_;
  Files& files_;
};

}  // namespace horalux
