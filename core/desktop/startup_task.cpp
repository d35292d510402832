#include "core/desktop/startup_task.h"

#include "core/base/path_text.h"
#include "core/desktop/logon_task.h"

namespace horalux {
namespace {
// The consent prompt is answered before the copy starts: what is left is a
// call to the Task Scheduler.
constexpr unsigned kTaskCopyTimeoutMs = 60000;
}  // namespace

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

bool StartupTask::IsInstalledCopy(const std::string& program) {
  for (SpecialFolderId root : {SpecialFolderId::ProgramFiles, SpecialFolderId::ProgramFilesX86})
    if (IsUnderFolder(program, shell_.special_folder(root))) return true;
  return false;
}

bool StartupTask::Exists() {
  return ports_.tasks.task_exists(Name());
}

bool StartupTask::Register(const std::string& program) {
  const std::string sid = ports_.token.user_sid();
  if (sid.empty() || !IsInstalledCopy(program)) return false;
  return ports_.tasks.register_task(LogonTaskName(sid), LogonTaskXml(sid, program));
}

bool StartupTask::Remove() {
  return ports_.tasks.delete_task(Name());
}

ElevatedStart StartupTask::RunElevated(const std::string& program, bool register_task) {
  return ports_.launcher.run_and_wait(program,
                                      register_task ? kRegisterTaskParameter : kRemoveTaskParameter,
                                      FolderPartOf(program), kTaskCopyTimeoutMs);
}

int StartupTask::RunTaskOnly(bool register_task) {
  if (!register_task) return Remove() ? kTaskDone : kTaskRefused;
  const std::string program = files_.executable_path();
  if (!IsInstalledCopy(program)) return kTaskNotHere;
  return Register(program) ? kTaskDone : kTaskRefused;
}

}  // namespace horalux
