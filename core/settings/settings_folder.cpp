#include "core/settings/settings_folder.h"

#include "core/base/ensure_folder.h"
#include "core/base/file_replace.h"
#include "core/base/path_text.h"
#include "core/settings/ini_file.h"

namespace horalux {
namespace {

constexpr const char* kCommonSettingsTail = "Orvane\\HoraLux\\";
constexpr int kMovedGenerations = 3;

}  // namespace

std::string CommonFilesFolder(Files& files) {
  std::string windows = files.windows_folder();
  std::string root =
      windows.size() >= 2 && windows[1] == ':' ? windows.substr(0, 2) + "\\" : "C:\\";
  return root + "Program Files\\Common Files\\";
}

bool EnsureSettingsFolder(Files& files, Boxes& boxes, std::string& folder,
                          const std::string& programFolder, bool announce,
                          const MoveToSafeGuardFn& moveToSafeGuard) {
  if (files.exists(folder + kFixedSettingsFileName)) return true;
  if (files.folder_exists(WithoutTrailingBackslash(folder))) return true;
  if (announce) boxes.message("[" + folder + "]が見つかりません。\r\n作成し直します。");
  if (EnsureFolder(files, boxes, folder, true, false)) {
    MoveProgramFolderFiles(files, boxes, folder, programFolder, moveToSafeGuard);
    return true;
  }
  boxes.message("[" + folder + "]が作成できません。\r\n起動したフォルダに設定します。");
  folder = programFolder;
  return false;
}

void MoveProgramFolderFiles(Files& files, Boxes& boxes, const std::string& folder,
                            const std::string& programFolder,
                            const MoveToSafeGuardFn& moveToSafeGuard) {
  if (!files.folder_exists(WithoutTrailingBackslash(folder))) {
    boxes.message("[" + folder + "]が見つかりません。\r\n設定が保存されない可能性があります。");
    return;
  }
  for (const char* name : {kFixedSettingsFileName, kAccessLogFileName}) {
    const std::string from = programFolder + name;
    const std::string to = folder + name;
    if (files.exists(from) && !files.exists(to) && !CopyFileBytes(files, from, to))
      throw EFileCopyError("[" + from + "]を[" + to + "]にコピーできません。");
  }
  // Only once both copies are in place may the originals leave.
  moveToSafeGuard(programFolder, kFixedSettingsFileName, kMovedGenerations);
  moveToSafeGuard(programFolder, kAccessLogFileName, kMovedGenerations);
}

void ResolveSettingsFolder(Files& files, TextCodec& codec, Boxes& boxes, SettingsLocation& at,
                           const MoveToSafeGuardFn& moveToSafeGuard) {
  at = SettingsLocation();
  const std::string exe = files.executable_path();
  at.programFolder = FolderPartOf(exe);
  at.hideSetupMenu = files.exists(at.programFolder + kSetupHelperFileName);
  const std::string settings_name = WithExtension(FileNameOf(exe), ".ini");
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
  } else {
    std::string folder = CommonFilesFolder(files) + kCommonSettingsTail;
    // The folder is this run's as soon as it is chosen, even when moving the
    // old files into it fails afterwards.
    settle(folder);
    if (!EnsureSettingsFolder(files, boxes, folder, at.programFolder, false, moveToSafeGuard))
      settle(folder);
  }
}

}  // namespace horalux
