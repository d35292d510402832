#include "core/desktop/startup_link.h"

#include "core/base/confirm.h"
#include "core/base/path_text.h"

namespace horalux {

std::string SpecialFolder(Shell& shell, SpecialFolderId id) {
  std::string folder = shell.special_folder(id);
  return folder.empty() ? folder : WithTrailingBackslash(folder);
}

void CreateShortcut(Shell& shell, const std::string& target, SpecialFolderId id,
                    const std::string& sub_folder, const std::string& link_name,
                    const std::string& arguments) {
  std::string folder = SpecialFolder(shell, id);
  // Without its folder the link would land in the current folder under a
  // bare name, and be reported as made.
  if (folder.empty()) throw EShortcutError();
  if (!sub_folder.empty()) folder = WithTrailingBackslash(folder + sub_folder);
  const std::string name =
      link_name.empty() ? FileNameOf(target) + "へのショートカット" : link_name;
  // The working folder is the target's folder as a folder name: no trailing
  // "\" except on a drive's root.
  std::string working = FolderPartOf(target);
  if (working.size() > 3) working = WithoutTrailingBackslash(working);
  if (shell.write_link(folder + name + ".lnk", {target, arguments, working}) != LinkSave::Saved)
    throw EShortcutError();
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

bool StartupLink::IsStartupRegistered() {
  return !startup_folder_.empty() && files_.exists(StartupShortcut());
}

void StartupLink::ShowRegistered() {
  cbStartup_.SetChecked(IsStartupRegistered());
}

void StartupLink::RegisterStartup() {
  cbStartup_.SetChecked(true);
  if (IsStartupRegistered() &&
      !ConfirmYesNo(boxes_,
                    std::string("既に") + kLinkName + ".lnk が存在します。\r\n上書きしますか？",
                    true))
    return;
  try {
    CreateShortcut(shell_, ShortcutTarget(), SpecialFolderId::Startup, "", kLinkName,
                   kStartupArguments);
  } catch (const EShortcutError& e) {
    ShowRegistered();
    boxes_.error(e.what());
    return;
  }
  boxes_.message("Horaluxをコンピュータ起動時に動作させます。");
}

void StartupLink::UnregisterStartup() {
  cbStartup_.SetChecked(false);
  if (IsStartupRegistered() && !files_.remove(StartupShortcut())) {
    ShowRegistered();
    boxes_.error(kDeleteFailedText);
    return;
  }
  boxes_.message("コンピュータ起動時の動作を解除しました。");
}

void StartupLink::CreateDesktopShortcut() {
  try {
    CreateShortcut(shell_, ShortcutTarget(), SpecialFolderId::Desktop, "", kLinkName);
  } catch (const EShortcutError& e) {
    boxes_.error(e.what());
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
