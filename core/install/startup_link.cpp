#include "core/install/startup_link.h"

#include "core/base/confirm.h"
#include "core/base/path_text.h"
#include "core/install/install_acl.h"
#include "core/install/logged_on_user.h"

namespace horalux {

std::string SpecialFolder(Shell& shell, SpecialFolderId id) {
  std::string folder = shell.special_folder(id);
  return folder.empty() ? folder : WithTrailingBackslash(folder);
}

void CreateShortcut(Shell& shell, Files& files, const std::string& target, SpecialFolderId id,
                    const std::string& sub_folder, const std::string& link_name,
                    const std::string& arguments) {
  std::string folder = SpecialFolder(shell, id);
  // Without its folder the link would land in the current folder under a
  // bare name, and be reported as made.
  if (folder.empty()) throw EShortcutError();
  if (!sub_folder.empty()) folder = WithTrailingBackslash(folder + sub_folder);
  if (files.folder_refused(folder)) throw EShortcutFolderRefused(folder);
  const std::string name =
      link_name.empty() ? FileNameOf(target) + "へのショートカット" : link_name;
  // The working folder is the target's folder as a folder name: no trailing
  // "\" except on a drive's root.
  std::string working = FolderPartOf(target);
  if (working.size() > 3) working = WithoutTrailingBackslash(working);
  // Made in memory and written like any file of this run: the shell link
  // object would save by name, through whatever link the folder holds.
  const std::optional<std::string> bytes = shell.link_bytes({target, arguments, working});
  const std::string path = folder + name + ".lnk";
  if (!bytes || !files.write(path, *bytes)) throw EShortcutError();
  shell.notify_created(path);
}

void StartupLink::LookUpStartupFolder() {
  startup_folder_ = SpecialFolder(shell_, SpecialFolderId::Startup);
}

std::string StartupLink::ShortcutTarget() {
  const std::string exe = files_.executable_path();
  return WithTrailingBackslash(FolderPartOf(exe)) + FileNameOf(exe);
}

std::string StartupLink::StartupShortcut() const {
  return startup_folder_ + kLinkName + ".lnk";
}

bool StartupLink::ShortcutExists() {
  return !startup_folder_.empty() && files_.exists(StartupShortcut());
}

bool StartupLink::IsStartupRegistered() {
  return task_.Exists() || ShortcutExists();
}

void StartupLink::ShowRegistered() {
  cbStartup_.SetChecked(IsStartupRegistered());
  ShowDailyRun();
}

void StartupLink::ShowDailyRun() {
  const bool can = task_.CanRunDaily(ShortcutTarget());
  cbMainichi_.SetEnabled(can);
  cbMainichi_.SetChecked(can && task_.HasDailyRun());
}

void StartupLink::cbMainichiToggle() {
  if (!task_.CanRunDaily(ShortcutTarget())) {
    ShowDailyRun();
    return;
  }
  const bool daily = cbMainichi_.Checked();
  if (!RegisterTask(daily ? DailyRun::On : DailyRun::Off)) return;
  ShowRegistered();
  boxes_.message(daily ? kDailyRunOnText : kDailyRunOffText);
}

void StartupLink::RegisterStartup() {
  cbStartup_.SetChecked(true);
  if (!task_.ForLoggedOnUser()) {
    ShowRegistered();
    boxes_.message(kOtherAdministratorText);
    return;
  }
  if (task_.UserElevation() == Elevation::StandardUser) {
    RegisterShortcut(true);
    return;
  }
  // A task elevates whatever lies at its path: only a copy where standard
  // users cannot write may be started that way.
  if (!task_.IsInstalledCopy(ShortcutTarget())) {
    if (OpenSetup && ConfirmYesNo(boxes_, kSetupFirstText, true)) {
      ShowRegistered();
      OpenSetup();
      return;
    }
    RegisterShortcut(false);
    return;
  }
  // A task already there keeps its daily run; a new one gets it.
  if (!RegisterTask(DailyRun::Keep)) return;
  ShowDailyRun();
  boxes_.message(kRegisteredText);
}

void StartupLink::RegisterShortcut(bool standard_user) {
  if (ShortcutExists() &&
      !ConfirmYesNo(boxes_,
                    std::string("既に") + kLinkName + ".lnk が存在します。\r\n上書きしますか？",
                    true))
    return;
  try {
    CreateShortcut(shell_, files_, ShortcutTarget(), SpecialFolderId::Startup, "", kLinkName,
                   kStartupArguments);
  } catch (const EShortcutError& e) {
    ShowRegistered();
    boxes_.error(e.what());
    return;
  } catch (const EShortcutFolderRefused& e) {
    ShowRegistered();
    boxes_.message(e.what());
    return;
  }
  boxes_.message(kRegisteredText);
  if (standard_user) boxes_.message(kNoTimeRightText);
}

bool StartupLink::RegisterTask(DailyRun daily) {
  const std::string program = ShortcutTarget();
  TaskRegistration registration = TaskRegistration::Refused;
  if (task_.UserElevation() == Elevation::Elevated) {
    registration = task_.Register(program, daily);
  } else {
    // The copy is told the choice: what the task has now, this copy reads.
    const ElevatedStart run =
        task_.RunElevated(program, task_.WithDailyRun(daily) ? ElevatedRequest::RegisterTask
                                                             : ElevatedRequest::RegisterLogonTask);
    if (run.outcome == ElevatedOutcome::Refused) {
      ShowRegistered();
      boxes_.message(kElevationRefusedText);
      return false;
    }
    if (run.outcome == ElevatedOutcome::Started) registration = RegistrationOf(run.exit_code);
  }
  if (registration != TaskRegistration::Registered) {
    ShowRegistered();
    if (registration == TaskRegistration::LooseFolder)
      boxes_.message(kLooseFolderText);
    else if (registration == TaskRegistration::OtherUser)
      boxes_.message(kOtherAdministratorText);
    else
      boxes_.error(kTaskRegisterFailedText);
    return false;
  }
  // The shortcut of an earlier registration would start a second run.
  if (ShortcutExists()) files_.remove(StartupShortcut());
  return true;
}

bool StartupLink::RemoveTask() {
  if (!task_.AnyTaskLeft()) return true;
  if (task_.UserElevation() == Elevation::FilteredAdministrator) {
    const ElevatedStart run = task_.RunElevated(ShortcutTarget(), ElevatedRequest::RemoveTask);
    if (run.outcome == ElevatedOutcome::Refused) {
      boxes_.message(kElevationRefusedText);
      return false;
    }
    if (run.outcome == ElevatedOutcome::Started && run.exit_code == kTaskDone) return true;
  } else if (task_.Remove()) {
    return true;
  }
  boxes_.error(kTaskRemoveFailedText);
  return false;
}

void StartupLink::UnregisterStartup() {
  cbStartup_.SetChecked(false);
  if (!RemoveTask()) {
    ShowRegistered();
    return;
  }
  if (ShortcutExists() && !files_.remove(StartupShortcut())) {
    ShowRegistered();
    boxes_.error(kDeleteFailedText);
    return;
  }
  ShowDailyRun();
  boxes_.message(kUnregisteredText);
}

void StartupLink::CreateDesktopShortcut() {
  if (!task_.ForLoggedOnUser()) {
    boxes_.message(kOtherAdministratorText);
    return;
  }
  try {
    CreateShortcut(shell_, files_, ShortcutTarget(), SpecialFolderId::Desktop, "", kLinkName);
  } catch (const EShortcutError& e) {
    boxes_.error(e.what());
    return;
  } catch (const EShortcutFolderRefused& e) {
    boxes_.message(e.what());
    return;
  }
  boxes_.message("デスクトップにショートカットを作成しました。");
}

void StartupLink::cbStartupMouseUp() {
  if (cbStartup_.Checked())
    RegisterStartup();
  else
    UnregisterStartup();
}

void StartupLink::cbStartupKeyToggle() {
  cbStartupMouseUp();
}

void StartupLink::AskStartupAtClose() {
  if (cbStartup_.Checked()) return;
  if (!ConfirmYesNo(boxes_, "起動時に、時刻を取得しますか？", true)) return;
  cbStartup_.SetChecked(true);
  RegisterStartup();
}

}  // namespace horalux
