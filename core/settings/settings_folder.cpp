#include "core/settings/settings_folder.h"

#include "core/base/file_copy.h"
#include "core/base/folder_tree.h"
#include "core/settings/confirm.h"
#include "core/settings/ini_file.h"
#include "core/settings/path_text.h"

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

bool EnsureFolder(Files& files, Boxes& boxes, const std::string& folder, bool create, bool ask) {
  const std::string target = WithoutTrailingBackslash(TrimBlanks(folder));
  if (files.folder_exists(target)) return true;
  if (!create) return false;
  if (ask &&
      !ConfirmYesNo(boxes, "フォルダ[" + target + "]が存在しません。\r\n作成しますか。", true))
    return false;
  bool created = MakeFolderTree(files, target);
  if (!created && ask)
    boxes.message("フォルダ[" + target + "]が作成出来ません。\r\nフォルダの作成を中止します。");
  return created;
}

bool EnsureSettingsFolder(Files& files, Boxes& boxes, std::string& folder,
                          const std::string& programFolder, bool announce,
                          const RetireFile& retire) {
  if (files.exists(folder + kFixedSettingsFileName)) return true;
  if (files.folder_exists(WithoutTrailingBackslash(folder))) return true;
  if (announce) boxes.message("[" + folder + "]が見つかりません。\r\n作成し直します。");
  if (EnsureFolder(files, boxes, folder, true, false)) {
    MoveProgramFolderFiles(files, boxes, folder, programFolder, retire);
    return true;
  }
  boxes.message("[" + folder + "]が作成できません。\r\n起動したフォルダに設定します。");
  folder = programFolder;
  return false;
}

void MoveProgramFolderFiles(Files& files, Boxes& boxes, const std::string& folder,
                            const std::string& programFolder, const RetireFile& retire) {
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
  retire(programFolder, kFixedSettingsFileName, kMovedGenerations);
  retire(programFolder, kAccessLogFileName, kMovedGenerations);
}

SettingsLocation ResolveSettingsFolder(Files& files, TextCodec& codec, Boxes& boxes,
                                       const RetireFile& retire) {
  SettingsLocation at;
  const std::string exe = files.executable_path();
  at.programFolder = FolderPartOf(exe);
  const std::string settings_name = WithExtension(FileNameOf(exe), ".ini");

  const std::string marker = at.programFolder + kLocalFolderMarker;
  if (files.exists(marker)) {
    at.folder = at.programFolder;
    if (!files.exists(at.folder + settings_name))
      at.readOnlyMedium = files.drive_type(exe.substr(0, 1) + ":\\") == DriveType::CdRom;
    at.offerSetupAtFirstShow = IniFile(files, codec, marker).ReadBool("Set", "First", false);
  } else {
    at.folder = CommonFilesFolder(files) + kCommonSettingsTail;
    EnsureSettingsFolder(files, boxes, at.folder, at.programFolder, false, retire);
  }
  at.hideSetupMenu = files.exists(at.programFolder + kSetupHelperFileName);
  at.settingsFile = at.folder + settings_name;
  at.logFile = at.folder + kAccessLogFileName;
  return at;
}

}  // namespace horalux
