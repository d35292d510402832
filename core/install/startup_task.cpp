#include "core/install/startup_task.h"

#include "core/base/ascii_case.h"
#include "core/base/path_text.h"
#include "core/install/install_acl.h"
#include "core/install/logged_on_user.h"
#include "core/install/logon_task.h"
#include "core/install/task_path.h"

namespace horalux {
namespace {
// The consent prompt is answered before the copy starts: what is left is a
// call to the Task Scheduler.
constexpr unsigned kTaskCopyTimeoutMs = 60000;

// Only these two answers say that nothing is there; any other failure
// leaves it unknown.
bool NothingThere(TaskAnswer answer) {
  return answer == kTaskFileNotFound || answer == kTaskPathNotFound;
}

bool SamePath(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}
}  // namespace

int ExitCodeOf(TaskRegistration registration) {
  switch (registration) {
    case TaskRegistration::Registered:
      return kTaskDone;
    case TaskRegistration::NotInstalled:
      return kTaskNotHere;
    case TaskRegistration::LooseFolder:
      return kTaskLooseFolder;
    case TaskRegistration::OtherUser:
      return kTaskOtherUser;
    case TaskRegistration::Refused:
      break;
  }
  return kTaskRefused;
}

TaskRegistration RegistrationOf(int exit_code) {
  for (TaskRegistration r : {TaskRegistration::Registered, TaskRegistration::NotInstalled,
                             TaskRegistration::LooseFolder, TaskRegistration::OtherUser})
    if (ExitCodeOf(r) == exit_code) return r;
  return TaskRegistration::Refused;
}

ElevatedRequest FindElevatedRequest(const std::vector<std::string>& params) {
  for (const std::string& param : params) {
    if (param == kRegisterTaskParameter) return ElevatedRequest::RegisterTask;
    if (param == kRegisterLogonTaskParameter) return ElevatedRequest::RegisterLogonTask;
    if (param == kRemoveTaskParameter) return ElevatedRequest::RemoveTask;
    if (param == kOpenSetupParameter) return ElevatedRequest::OpenSetup;
  }
  return ElevatedRequest::None;
}

bool IsTaskOnly(ElevatedRequest request) {
  return request == ElevatedRequest::RegisterTask ||
         request == ElevatedRequest::RegisterLogonTask || request == ElevatedRequest::RemoveTask;
}

StartupTask::Read StartupTask::ReadTask(const char* folder) {
  const TaskLookup lookup = ports_.tasks.find_task(folder, Name());
  if (lookup.answer == kTaskAnswerOk && lookup.task) return {Presence::Found, *lookup.task};
  return {NothingThere(lookup.answer) ? Presence::Absent : Presence::Unknown, {}};
}

std::string StartupTask::Name() {
  return LogonTaskName(ports_.token.user_sid());
}

bool StartupTask::ForLoggedOnUser() {
  return RunsAsLoggedOnUser(ports_.token);
}

std::string StartupTask::InstallRoot(const std::string& path) {
  if (TaskWouldExpand(path)) return "";
  for (SpecialFolderId id : {SpecialFolderId::ProgramFiles, SpecialFolderId::ProgramFilesX86}) {
    const std::string root = shell_.special_folder(id);
    if (IsUnderFolder(path, root)) return WithoutTrailingBackslash(root);
  }
  return "";
}

bool StartupTask::IsInstalledCopy(const std::string& program) {
  return !InstallRoot(program).empty();
}

bool StartupTask::IsThisUsersTask(const Read& read, const std::string& program) {
  return read.presence == Presence::Found && read.task.user_sid == ports_.token.user_sid() &&
         SamePath(read.task.command, program);
}

bool StartupTask::Exists() {
  return IsThisUsersTask(ReadTask(kLogonTaskFolder), files_.executable_path());
}

bool StartupTask::AnyTaskLeft() {
  return ReadTask(kLogonTaskFolder).presence != Presence::Absent ||
         ReadTask(kRootTaskFolder).presence != Presence::Absent;
}

bool StartupTask::HasDailyRun() {
  const Read read = ReadTask(kLogonTaskFolder);
  return IsThisUsersTask(read, files_.executable_path()) && HasDailyTrigger(read.task.xml);
}

bool StartupTask::CanRunDaily(const std::string& program) {
  return UserElevation() != Elevation::StandardUser && ForLoggedOnUser() &&
         IsInstalledCopy(program);
}

bool StartupTask::WithDailyRun(DailyRun daily) {
  if (daily != DailyRun::Keep) return daily == DailyRun::On;
  // The task of this user's name, wherever a release put it, whichever
  // program it starts: what it has, it keeps.
  for (const char* folder : {kLogonTaskFolder, kRootTaskFolder}) {
    const Read read = ReadTask(folder);
    if (read.presence == Presence::Found) return HasDailyTrigger(read.task.xml);
  }
  return true;
}

// The program and each folder above it up to the Program Files folder, that
// one included: whoever may delete children there may rename the install
// folder away and put another in its place.
InstallAccess StartupTask::InstallAccessOf(const std::string& program) {
  if (!ports_.security.access_lists_apply()) return InstallAccess::NotApplicable;
  const std::string root = InstallRoot(program);
  if (root.empty()) return InstallAccess::OthersCanChange;
  for (std::string path = program; path.size() >= root.size();
       path = WithoutTrailingBackslash(FolderPartOf(path))) {
    const std::optional<SecurityInfo> info = ports_.security.read(path);
    if (!info || !OnlyAdministratorsCanChange(*info)) return InstallAccess::OthersCanChange;
  }
  return InstallAccess::AdministratorsOnly;
}

TaskRegistration StartupTask::Register(const std::string& program, DailyRun daily) {
  // Another administrator's task is theirs: a refusal here touches nothing.
  if (!ForLoggedOnUser()) return TaskRegistration::OtherUser;
  const std::string sid = ports_.token.user_sid();
  if (sid.empty()) return TaskRegistration::Refused;
  // A task of this user's that an earlier registration left would go on
  // starting this path elevated, though it is refused now.
  if (TaskWouldExpand(program)) {
    Remove();
    return TaskRegistration::NotInstalled;
  }
  if (!IsInstalledCopy(program)) return TaskRegistration::NotInstalled;
  if (InstallAccessOf(program) == InstallAccess::OthersCanChange) {
    Remove();
    return TaskRegistration::LooseFolder;
  }
  const std::string name = LogonTaskName(sid);
  std::optional<SystemTimeFields> daily_from;
  if (WithDailyRun(daily)) daily_from = ports_.clock.local_time();
  const TaskAnswer answer = ports_.tasks.register_task(
      kLogonTaskFolder, name, LogonTaskXml(sid, program, daily_from), kLogonTaskSddl);
  if (answer != kTaskAnswerOk) {
    // Registered, but not all of it will start it (a trigger, the logon):
    // a task the user would take for working goes again.
    if (answer > 0) ports_.tasks.delete_task(kLogonTaskFolder, name);
    return TaskRegistration::Refused;
  }
  // An earlier release's task would start a second run.
  ports_.tasks.delete_task(kRootTaskFolder, name);
  return TaskRegistration::Registered;
}

bool StartupTask::Remove() {
  auto gone = [this](const char* folder) {
    const TaskAnswer answer = ports_.tasks.delete_task(folder, Name());
    return answer == kTaskAnswerOk || NothingThere(answer);
  };
  const bool in_folder = gone(kLogonTaskFolder);
  return gone(kRootTaskFolder) && in_folder;
}

void StartupTask::MoveFromRootFolder() {
  if (UserElevation() != Elevation::Elevated) return;
  const std::string program = files_.executable_path();
  if (!IsThisUsersTask(ReadTask(kRootTaskFolder), program)) return;
  Register(program);
}

void StartupTask::ProtectInstallFolder(const std::string& folder) {
  const std::string path = WithoutTrailingBackslash(folder);
  // A failure leaves what Program Files passes on; the check before every
  // registration still refuses a folder others can change.
  if (IsInstalledCopy(path)) ports_.security.protect_install_folder(path, kInstallFolderSddl);
}

void StartupTask::ProtectInstalledProgram(const std::string& program) {
  if (IsInstalledCopy(program))
    ports_.security.protect_install_folder(program, kInstalledProgramSddl);
}

ElevatedStart StartupTask::RunElevated(const std::string& program, ElevatedRequest request) {
  const char* parameter = request == ElevatedRequest::RegisterTask ? kRegisterTaskParameter
                          : request == ElevatedRequest::RegisterLogonTask
                              ? kRegisterLogonTaskParameter
                              : kRemoveTaskParameter;
  return ports_.launcher.run_and_wait(program, parameter, FolderPartOf(program),
                                      kTaskCopyTimeoutMs);
}

int StartupTask::RunTaskOnly(ElevatedRequest request) {
  if (request == ElevatedRequest::RemoveTask) return Remove() ? kTaskDone : kTaskRefused;
  return ExitCodeOf(Register(files_.executable_path(), request == ElevatedRequest::RegisterTask
                                                           ? DailyRun::On
                                                           : DailyRun::Off));
}

}  // namespace horalux
