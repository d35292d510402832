#include "core/install/setup.h"

#include <stdexcept>

#include "core/install/hand_over.h"
#include "core/install/setup_target.h"
#include "core/install/startup_link.h"
#include "core/base/confirm.h"
#include "core/base/ensure_folder.h"
#include "core/base/file_replace.h"
#include "core/base/path_text.h"
#include "core/base/version.h"
#include "core/install/install_acl.h"
#include "core/install/logged_on_user.h"
#include "core/install/task_path.h"

namespace horalux {
namespace {
constexpr const char* kExeName = "Horalux.exe";
constexpr const char* kErrorTitle = "エラー";

// A failure inside the installation steps; what() is shown to the user.
class ESetupError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string MissingExeText(const std::string& folder) {
  return folder + kExeName + " が存在しません。" + "\r\n" + "中止します。";
}

std::string DefaultTarget(SetupPorts& ports) {
  // A standard user's own programs folder, where Windows' per-user installs go.
  if (ports.task.UserElevation() == Elevation::StandardUser) {
    const std::string local = SpecialFolder(ports.shell, SpecialFolderId::LocalAppData);
    if (!local.empty()) return local + "Programs\\Orvane\\Horalux";
  }
  const std::string windows = ports.files.windows_folder();
  const std::string drive =
      windows.size() >= 2 && windows[1] == ':' ? windows.substr(0, 3) : std::string("C:\\");
  return drive + "Program Files\\Orvane\\Horalux";
}
}  // namespace

void OfferSetup(Boxes& boxes, const std::string& version, bool readOnlyMedium,
                bool offerSetupAtFirstShow, const std::function<void()>& show_setup) {
  if (!readOnlyMedium && !offerSetupAtFirstShow) return;
  const std::string text =
      "Horalux" + version +
      " のセットアップを今すぐ行いますか？\r\n\r\n[はい]----セットアップフォーム表示\r\n"
      "[いいえ]--Horaluxの通常起動\r\n\r\nこの確認は、初回起動時１回しか表示されません。\r\n"
      "[いいえ]の場合は、Horaluxから通常のセットアップを行ってください。";
  if (ConfirmYesNo(boxes, text, true)) show_setup();
}

TfmSetup::TfmSetup(SetupPorts ports, std::string version)
    : ports_(ports), version_(std::move(version)) {
  source_folder_ = WithTrailingBackslash(FolderPartOf(ports_.files.executable_path()));
  Label15.SetCaption("Horalux " + version_ + " " + "のセットアップ");
  edtKidouS.SetText(source_folder_);
  const std::string target = DefaultTarget(ports_);
  edtSetup.SetText(target);
  rbUwagaki.SetCaption("上書きセットアップ（すでにHoraluxを使用されている方）");
  rbNewSetup.SetCaption("すべてを新規でセットアップ（推奨）");
  if (ports_.files.folder_exists(target))
    rbUwagaki.SetChecked(true);
  else
    rbNewSetup.SetChecked(true);
  btnSetup.SetCaption("開始");
  btnClose.SetCaption("閉じる");
  events_.Bind({
      {btnSetup.OnClick, "btnSetup.OnClick", [this] { btnSetupClick(); }},
      {btnClose.OnClick, "btnClose.OnClick",
       [this] {
         if (CloseWindow) CloseWindow();
       }},
  });
}

void TfmSetup::btnSetupClick() {
  Boxes& boxes = ports_.boxes;
  if (!ConfirmYesNo(boxes, "セットアップを開始してよろしいですか？", false)) {
    boxes.message("中止します。");
    return;
  }
  if (!ports_.files.exists(source_folder_ + kExeName)) {
    boxes.message(MissingExeText(source_folder_));
    return;
  }
  target_folder_ = WithTrailingBackslash(edtSetup.Text());
  if (TrimBlanks(source_folder_) == TrimBlanks(target_folder_)) {
    boxes.message("受け手と送り手のフォルダーが同じです。\r\nセットアップを中止します。");
    return;
  }
  if (ports_.task.UserElevation() == Elevation::StandardUser &&
      !StandardUserMaySetUpInto(ports_.files, ports_.task, target_folder_)) {
    boxes.message(kSetupNeedsAdministratorText);
    if (SelectTargetField) SelectTargetField();
    return;
  }
  // Another administrator's setup installs the files, but what it would
  // register, link or start would be theirs, not the desktop user's.
  for_logged_on_user_ = ports_.task.ForLoggedOnUser();
  try {
    if (!InstallSteps()) return;
  } catch (const std::exception& e) {
    boxes.notice(Boxes::Icon::Error, kErrorTitle,
                 std::string(e.what()) + "\r" + "セットアップをやり直してみてください。");
    return;
  }
  if (!for_logged_on_user_) {
    boxes.message(kOtherAdministratorText);
  } else if (LeaveResult) {
    // The copy that waits for this one hands over, unelevated.
    if (!LeaveResult(target_folder_)) boxes.message(kStartFromMenuText);
  } else {
    HandOver();
    return;
  }
  if (EndProgram) EndProgram();
}

bool TfmSetup::InstallSteps() {
  Files& files = ports_.files;
  Boxes& boxes = ports_.boxes;
  const bool overwrite = rbUwagaki.Checked();
  if (TaskWouldExpand(target_folder_)) {
    boxes.notice(Boxes::Icon::Error, kErrorTitle, "セットアップフォルダを作成できません。");
    if (SelectTargetField) SelectTargetField();
    return false;
  }
  const bool installed = files.exists(target_folder_ + kExeName);
  if (overwrite && !installed) {
    boxes.message(
        "指定されたフォルダーに、Horalux.exe が存在しません。\r\n上書きセットアップを中止します。");
    if (SelectTargetField) SelectTargetField();
    return false;
  }
  if (!overwrite) {
    if (installed) {
      boxes.message(
          "指定されたフォルダーに、Horalux.exe が存在します。\r\n上書きセットアップで、\r\n"
          "セットアップし直してください。");
      return false;
    }
    // Every folder setup makes is the administrators' alone, whoever the
    // system would make its owner.
    std::vector<std::string> made;
    for (std::string folder = WithoutTrailingBackslash(target_folder_);
         folder.size() > 3 && !files.folder_exists(folder);
         folder = WithoutTrailingBackslash(FolderPartOf(folder)))
      made.push_back(folder);
    EnsureFolder(files, boxes, target_folder_, true, false);
    if (!files.folder_exists(WithoutTrailingBackslash(target_folder_))) {
      boxes.notice(Boxes::Icon::Error, kErrorTitle, "セットアップフォルダを作成できません。");
      if (SelectTargetField) SelectTargetField();
      return false;
    }
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder)
      ports_.task.ProtectInstallFolder(*folder);
    if (for_logged_on_user_)
      for (SpecialFolderId id :
           {SpecialFolderId::Desktop, SpecialFolderId::StartMenu, SpecialFolderId::Programs})
        DeleteOldShortcut(id);
  }
  if (!InstallFiles()) return false;
  boxes.notice(Boxes::Icon::Information, "",
               "Horalux " + version_ + " " + "のセットアップが終了しました。");
  // Registered by the Startup folder's shortcut, as any copy of theirs.
  if (ports_.task.UserElevation() == Elevation::StandardUser) boxes.message(kNoTimeRightText);
  return true;
}

void TfmSetup::DeleteOldShortcut(SpecialFolderId id) {
  const std::string folder = SpecialFolder(ports_.shell, id);
  if (folder.empty()) return;
  const std::string link = folder + kLinkName + ".lnk";
  if (ports_.files.exists(link) && !ports_.files.remove(link)) throw ESetupError(kDeleteFailedText);
}

bool TfmSetup::InstallFiles() {
  Files& files = ports_.files;
  if (!files.exists(source_folder_ + kExeName)) {
    ports_.boxes.message(MissingExeText(source_folder_));
    return false;
  }
  for (const char* name : {kExeName, kReadmeName}) {
    if (name == kReadmeName && !SourceReadme) continue;
    // Both are copied from what was opened when this copy started, held
    // since: a file put at their paths afterwards (from a folder other users
    // can write) is not what gets installed.
    const std::optional<std::string> bytes =
        name == kExeName ? files.read_own_image() : SourceReadme->read_all();
    if (!bytes || !ReplaceFileContent(files, target_folder_ + name, *bytes))
      throw ESetupError("ファイルのコピーに失敗しました。");
    // The copy takes along the mark Windows puts on a file unpacked from a
    // downloaded archive, which would bring the security warning at every
    // start from the Start menu. Installing is the user's choice: the mark
    // goes. A file without one (or a file system without streams) has nothing to remove.
    files.remove(target_folder_ + name + ":Zone.Identifier");
  }
  const std::string installed = target_folder_ + kExeName;
  // The administrators', whoever the system made its owner: also when another
  // administrator's setup leaves the registering to the desktop's user.
  ports_.task.ProtectInstalledProgram(installed);
  if (!for_logged_on_user_) return true;
  RegisterInstalledCopy(installed);
  if (rbNewSetup.Checked()) MakeShortcut(installed, SpecialFolderId::Programs, "");
  return true;
}

// A shell folder this run may not write in gets no shortcut, and the user
// learns which: setting up again would meet the same folder.
void TfmSetup::MakeShortcut(const std::string& installed, SpecialFolderId id,
                            const std::string& arguments) {
  try {
    CreateShortcut(ports_.shell, ports_.files, installed, id, "", kLinkName, arguments);
  } catch (const EShortcutFolderRefused& e) {
    ports_.boxes.message(e.what());
  }
}

// Setup runs elevated: a copy installed where standard users cannot write
// gets the logon task, which starts it elevated; anywhere else only the
// Startup folder's shortcut may start it.
void TfmSetup::RegisterInstalledCopy(const std::string& installed) {
  StartupTask& task = ports_.task;
  if (task.UserElevation() != Elevation::Elevated || !task.IsInstalledCopy(installed)) {
    MakeShortcut(installed, SpecialFolderId::Startup, kStartupArguments);
    return;
  }
  switch (task.Register(installed)) {
    case TaskRegistration::Registered:
      break;
    case TaskRegistration::LooseFolder:
      // Setting up again would not help: the setup goes on without it, and
      // without the task an earlier registration left.
      ports_.boxes.message(kLooseFolderText);
      return;
    default:
      throw ESetupError(kTaskRegisterFailedText);
  }
  DeleteOldShortcut(SpecialFolderId::Startup);
}

void TfmSetup::HandOver() {
  if (HandOverTo(ports_, target_folder_, ports_.task.UserElevation() == Elevation::Elevated) &&
      EndProgram)
    EndProgram();
}

}  // namespace horalux
