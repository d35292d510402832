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
    if (param == kRemoveTaskParameter) return ElevatedRequest::RemoveTask;
    if (param == kOpenSetupParameter) return ElevatedRequest::OpenSetup;
  }
  return ElevatedRequest::None;
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

bool StartupTask::IsThisUsersTask(const std::optional<RegisteredTask>& task,
                                  const std::string& program) {
  return task && task->user_sid == ports_.token.user_sid() && SamePath(task->command, program);
}

bool StartupTask::Exists() {
  return IsThisUsersTask(ports_.tasks.find_task(kLogonTaskFolder, Name()),
                         files_.executable_path());
}

bool StartupTask::AnyTaskLeft() {
  return ports_.tasks.find_task(kLogonTaskFolder, Name()) ||
         ports_.tasks.find_task(kRootTaskFolder, Name());
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

TaskRegistration StartupTask::Register(const std::string& program) {
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
  if (!ports_.tasks.register_task(kLogonTaskFolder, name, LogonTaskXml(sid, program),
                                  kLogonTaskSddl))
    return TaskRegistration::Refused;
  // An earlier release's task would start a second run.
  ports_.tasks.delete_task(kRootTaskFolder, name);
  return TaskRegistration::Registered;
}

bool StartupTask::Remove() {
  const bool in_folder = ports_.tasks.delete_task(kLogonTaskFolder, Name());
  return ports_.tasks.delete_task(kRootTaskFolder, Name()) && in_folder;
}

void StartupTask::MoveFromRootFolder() {
  if (UserElevation() != Elevation::Elevated) return;
  const std::string program = files_.executable_path();
  if (!IsThisUsersTask(ports_.tasks.find_task(kRootTaskFolder, Name()), program)) return;
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

ElevatedStart StartupTask::RunElevated(const std::string& program, bool register_task) {
  return ports_.launcher.run_and_wait(program,
                                      register_task ? kRegisterTaskParameter : kRemoveTaskParameter,
                                      FolderPartOf(program), kTaskCopyTimeoutMs);
}

int StartupTask::RunTaskOnly(bool register_task) {
  if (!register_task) return Remove() ? kTaskDone : kTaskRefused;
  return ExitCodeOf(Register(files_.executable_path()));
}

}  // namespace horalux
