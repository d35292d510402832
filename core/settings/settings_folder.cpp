#include "core/settings/settings_folder.h"

#include "core/base/ensure_folder.h"
#include "core/base/file_replace.h"
#include "core/base/path_text.h"
#include "core/settings/ini_file.h"
#include "core/settings/virtual_store.h"

namespace horalux {
namespace {

constexpr const char* kSettingsTail = "Orvane\\HoraLux\\";
// Names the user's folder in the failure message when the shell cannot.
constexpr const char* kUnknownUserFolder = "%LOCALAPPDATA%\\";
constexpr int kMovedGenerations = 3;

void ShowCannotCreate(Boxes& boxes, const std::string& folder) {
  boxes.message("[" + folder + "]が作成できません。\r\n起動したフォルダに設定します。");
}

// The name this run reads its settings from: an earlier "HoraLux.ini" is
// brought in under it, or a renamed executable ("Horalux (1).exe") would
// start with defaults beside the copied settings.
std::string SettingsFileName(Files& files) {
  return WithExtension(FileNameOf(files.executable_path()), ".ini");
}

// Copies `from` to `to` unless `to` exists already; a missing `from` is no
// error.
void CopyIfAbsent(Files& files, const std::string& from, const std::string& to) {
  if (files.exists(from) && !files.exists(to) && !CopyFileBytes(files, from, to))
    throw EFileCopyError("[" + from + "]を[" + to + "]にコピーできません。");
}

}  // namespace

std::string CommonFilesFolder(Files& files) {
  std::string windows = files.windows_folder();
  std::string root =
      windows.size() >= 2 && windows[1] == ':' ? windows.substr(0, 2) + "\\" : "C:\\";
  return root + "Program Files\\Common Files\\";
}

std::string CommonSettingsFolder(Files& files) {
  return CommonFilesFolder(files) + kSettingsTail;
}

std::string UserSettingsFolder(Shell& shell) {
  const std::string local = shell.special_folder(SpecialFolderId::LocalAppData);
  return local.empty() ? "" : WithTrailingBackslash(local) + kSettingsTail;
}

bool EnsureSettingsFolder(Files& files, Boxes& boxes, std::string& folder,
                          const std::string& programFolder, const std::string& localAppData,
                          bool announce, const MoveToSafeGuardFn& moveToSafeGuard) {
  if (files.exists(folder + kFixedSettingsFileName)) return true;
  if (files.folder_exists(WithoutTrailingBackslash(folder))) return true;
  if (announce) boxes.message("[" + folder + "]が見つかりません。\r\n作成し直します。");
  if (EnsureFolder(files, boxes, folder, true, false)) {
    BringInEarlierFiles(files, boxes, folder, programFolder, localAppData, moveToSafeGuard);
    return true;
  }
  ShowCannotCreate(boxes, folder);
  folder = programFolder;
  return false;
}

void BringInEarlierFiles(Files& files, Boxes& boxes, const std::string& folder,
                         const std::string& programFolder, const std::string& localAppData,
                         const MoveToSafeGuardFn& moveToSafeGuard) {
  const std::string common = CommonSettingsFolder(files);
  const std::string ini = EarlierFileSource(files, common + kFixedSettingsFileName, localAppData);
  const std::string log = EarlierFileSource(files, common + kAccessLogFileName, localAppData);
  if (!files.exists(ini) && !files.exists(log)) {
    MoveProgramFolderFiles(files, boxes, folder, programFolder, localAppData, moveToSafeGuard);
    return;
  }
  // Copied, never moved: every user of the PC takes their own copy from there.
  CopyIfAbsent(files, ini, folder + SettingsFileName(files));
  CopyIfAbsent(files, log, folder + kAccessLogFileName);
}

void MoveProgramFolderFiles(Files& files, Boxes& boxes, const std::string& folder,
                            const std::string& programFolder, const std::string& localAppData,
                            const MoveToSafeGuardFn& moveToSafeGuard) {
  if (!files.folder_exists(WithoutTrailingBackslash(folder))) {
    boxes.message("[" + folder + "]が見つかりません。\r\n設定が保存されない可能性があります。");
    return;
  }
  CopyIfAbsent(files,
               EarlierFileSource(files, programFolder + kFixedSettingsFileName, localAppData),
               folder + SettingsFileName(files));
  CopyIfAbsent(files, EarlierFileSource(files, programFolder + kAccessLogFileName, localAppData),
               folder + kAccessLogFileName);
  // Only once both copies are in place may the originals leave. A VirtualStore
  // copy stays where it is: it is what the earlier version, if it is still
  // run, reads as its own file, and this program never reads it again once
  // the user's folder exists.
  moveToSafeGuard(programFolder, kFixedSettingsFileName, kMovedGenerations);
  moveToSafeGuard(programFolder, kAccessLogFileName, kMovedGenerations);
}

void ResolveSettingsFolder(Files& files, TextCodec& codec, Boxes& boxes, Shell& shell,
                           SettingsLocation& at, const MoveToSafeGuardFn& moveToSafeGuard) {
  at = SettingsLocation();
  const std::string exe = files.executable_path();
  at.programFolder = FolderPartOf(exe);
  at.hideSetupMenu = files.exists(at.programFolder + kSetupHelperFileName);
  const std::string settings_name = SettingsFileName(files);
  auto settle = [&](const std::string& folder) {
    at.folder = folder;
    at.settingsFile = folder + settings_name;
    at.logFile = folder + kAccessLogFileName;
  };

  const std::string marker = at.programFolder + kLocalFolderMarker;
  if (files.exists(marker)) {
    settle(at.programFolder);
    if (!files.exists(at.settingsFile))
      at.readOnlyMedium = files.drive_type(exe.substr(0, 1) + ":\\") == DriveType::CdRom;
    IniFile flags(codec, files.read(marker).value_or(""));
    at.offerSetupAtFirstShow = flags.ReadBool("Set", "First", false);
  } else if (std::string folder = UserSettingsFolder(shell); folder.empty()) {
    ShowCannotCreate(boxes, kUnknownUserFolder + std::string(kSettingsTail));
    settle(at.programFolder);
  } else if (!files.user_may_create_in(folder)) {
    // The user's registry names the folder, and any program of theirs may
    // point it where only administrators write: an elevated run would then
    // write there for them. Such a folder counts as one that cannot be made.
    ShowCannotCreate(boxes, folder);
    settle(at.programFolder);
  } else {
    // The user's own folder, not one shared by the PC's users: a settings
    // file others could write would steer what an administrator's
    // correction does. The folder is this run's as soon as it is chosen,
    // even when bringing the old files into it fails afterwards.
    settle(folder);
    if (!EnsureSettingsFolder(files, boxes, folder, at.programFolder,
                              shell.special_folder(SpecialFolderId::LocalAppData), false,
                              moveToSafeGuard))
      settle(folder);
  }
}

}  // namespace horalux
