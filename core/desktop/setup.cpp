#include "core/desktop/setup.h"

#include <stdexcept>

#include "core/desktop/setup_target.h"
#include "core/desktop/startup_link.h"
#include "core/base/confirm.h"
#include "core/base/path_text.h"
#include "core/base/ensure_folder.h"

namespace horalux {
namespace {
constexpr const char* kExeName = "Horalux.exe";
constexpr const char* kReadmeName = "Readme.txt";
constexpr const char* kHandOverMarker = "Clock2Ju.$$$";
constexpr const char* kMainWindowClass = "TfmJikoku";
constexpr const char* kErrorTitle = "エラー";

constexpr std::uint32_t kHandOverPauseMs = 5000;
constexpr std::uint32_t kHandOverCapMs = 30000;
constexpr std::uint32_t kHandOverPollMs = 250;

// A failure inside the installation steps; what() is shown to the user.
class ESetupError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string MissingExeText(const std::string& folder) {
  return folder + kExeName + " が存在しません。" + "\r\n" + "中止します。";
}

// The started copy needs its single-instance check passed and its window
// made before the marker may go; a copy that never gets there must not keep
// this one alive for ever.
void WaitForCopyWindow(Clock& clock, Shell& shell, ProcessId process) {
  const std::uint32_t start = clock.tick_count();
  clock.sleep(kHandOverPauseMs);
  if (process == 0) return;
  while (static_cast<std::uint32_t>(clock.tick_count() - start) < kHandOverCapMs &&
         shell.process_running(process) && !shell.process_has_window(process, kMainWindowClass))
    clock.sleep(kHandOverPollMs);
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

SetupAccess ChooseSetupAccess(SetupPorts ports, const std::string& marker_folder,
                              const std::function<void()>& save_settings) {
  Boxes& boxes = ports.boxes;
  switch (ports.task.UserElevation()) {
    case Elevation::Elevated:
    case Elevation::StandardUser:
      return SetupAccess::OpenHere;
    case Elevation::FilteredAdministrator:
      break;
  }
  if (!ConfirmYesNo(boxes, kSetupElevationQuestion, true)) return SetupAccess::Stopped;
  // The elevated copy reads the settings as this copy leaves them.
  if (save_settings) save_settings();
  const std::string marker = marker_folder + kHandOverMarker;
  if (!ports.files.write(marker, ports.codec.to_ansi("２重起動\r\n"))) {
    boxes.error("[" + marker + "]" + "を作成できません。");
    return SetupAccess::Stopped;
  }
  const ElevatedStart started =
      ports.task.StartElevated(ports.files.executable_path(), kOpenSetupParameter, marker_folder);
  if (started.outcome == ElevatedOutcome::Started)
    WaitForCopyWindow(ports.clock, ports.shell, started.process);
  if (ports.files.exists(marker) && !ports.files.remove(marker)) boxes.error(kDeleteFailedText);
  switch (started.outcome) {
    case ElevatedOutcome::Started:
      return SetupAccess::Restarted;
    case ElevatedOutcome::Refused:
      boxes.message(kElevationRefusedText);
      return SetupAccess::Stopped;
    case ElevatedOutcome::Failed:
      break;
  }
  boxes.error(kElevatedStartFailedText);
  return SetupAccess::Stopped;
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
  try {
    if (!InstallSteps()) return;
  } catch (const std::exception& e) {
    boxes.notice(Boxes::Icon::Error, kErrorTitle,
                 std::string(e.what()) + "\r" + "セットアップをやり直してみてください。");
    return;
  }
  HandOver();
}

bool TfmSetup::InstallSteps() {
  Files& files = ports_.files;
  Boxes& boxes = ports_.boxes;
  const bool overwrite = rbUwagaki.Checked();
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
    EnsureFolder(files, boxes, target_folder_, true, false);
    if (!files.folder_exists(WithoutTrailingBackslash(target_folder_))) {
      boxes.notice(Boxes::Icon::Error, kErrorTitle, "セットアップフォルダを作成できません。");
      if (SelectTargetField) SelectTargetField();
      return false;
    }
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
    if (name == kReadmeName && !files.exists(source_folder_ + name)) continue;
    if (!files.copy_file(source_folder_ + name, target_folder_ + name))
      throw ESetupError("ファイルのコピーに失敗しました。");
    // The copy takes along the mark Windows puts on a file unpacked from a
    // downloaded archive, which would bring the security warning at every
    // start from the Start menu. Installing is the user's choice: the mark
    // goes. A file without one (or a file system without streams) has nothing to remove.
    files.remove(target_folder_ + name + ":Zone.Identifier");
  }
  const std::string installed = target_folder_ + kExeName;
  RegisterInstalledCopy(installed);
  if (rbNewSetup.Checked())
    CreateShortcut(ports_.shell, installed, SpecialFolderId::Programs, "", kLinkName);
  return true;
}

// Setup runs elevated: a copy installed where standard users cannot write
// gets the logon task, which starts it elevated; anywhere else only the
// Startup folder's shortcut may start it.
void TfmSetup::RegisterInstalledCopy(const std::string& installed) {
  StartupTask& task = ports_.task;
  if (task.UserElevation() != Elevation::Elevated || !task.IsInstalledCopy(installed)) {
    CreateShortcut(ports_.shell, installed, SpecialFolderId::Startup, "", kLinkName,
                   kStartupArguments);
    return;
  }
  if (!task.Register(installed)) throw ESetupError(kTaskRegisterFailedText);
  DeleteOldShortcut(SpecialFolderId::Startup);
}

void TfmSetup::HandOver() {
  Files& files = ports_.files;
  Boxes& boxes = ports_.boxes;
  const std::string marker = target_folder_ + kHandOverMarker;
  // Without the marker the installed copy would end at its single-instance
  // check, leaving nothing running once this copy ends.
  if (!files.write(marker, ports_.codec.to_ansi("２重起動\r\n"))) {
    boxes.error("[" + marker + "]" + "を作成できません。");
    return;
  }
  boxes.message(
      "現在起動中のHoraluxを終了させ、\r\nセットアップしたHoraluxを起動させます。\r\n"
      "一時的に、Horaluxが２つ立ち上がります。\r\n確認（ＯＫ）後、10秒程度、そのままでお待ちくださ"
      "い。");
  const ProcessId process =
      ports_.shell.start_process(target_folder_ + kExeName, "", target_folder_);
  WaitForCopyWindow(ports_.clock, ports_.shell, process);
  // A marker left behind would let any number of copies run from that folder.
  if (files.exists(marker) && !files.remove(marker)) boxes.error(kDeleteFailedText);
  if (EndProgram) EndProgram();
}

}  // namespace horalux
