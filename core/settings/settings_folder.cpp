#include "core/settings/settings_folder.h"

#include <vector>

#include "core/desktop/safeguard.h"
#include "core/base/confirm.h"
#include "core/settings/ini_file.h"
#include "core/base/path_text.h"

namespace horalux {
namespace {

constexpr const char* kCommonSettingsTail = "Orvane\\HoraLux\\";
constexpr int kMovedGenerations = 3;

bool IsBareDrive(const std::string& path) {
  return path.size() == 2 && path[1] == ':';
}

// The folder a path lies in, without trailing "\"; empty at the top.
std::string ParentOf(const std::string& path) {
  std::size_t at = path.find_last_of('\\');
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

bool ParentPresent(Files& files, const std::string& path) {
  if (files.exists(path)) return true;
  if (!IsBareDrive(path)) return false;
  DriveType type = files.drive_type(path + "\\");
  return type == DriveType::Fixed || type == DriveType::Removable;
}

// Creates the folder after its missing parents, outermost first.
bool CreateWithParents(Files& files, const std::string& folder) {
  std::vector<std::string> missing{folder};
  for (std::string up = ParentOf(folder); !up.empty() && !ParentPresent(files, up);
       up = ParentOf(up))
    missing.push_back(up);
  // A drive that is not there (or not one a folder can be made on) and a
  // path that climbs out of every folder cannot be created.
  const std::string& outermost = missing.back();
  if (IsBareDrive(outermost) || outermost.find_first_not_of('\\') == std::string::npos)
    return false;
  for (auto it = missing.rbegin(); it != missing.rend(); ++it)
    if (!files.make_folder(*it)) return false;
  return true;
}

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
  bool created = !target.empty() && CreateWithParents(files, target);
  if (!created && ask)
    boxes.message("フォルダ[" + target + "]が作成出来ません。\r\nフォルダの作成を中止します。");
  return created;
}

bool EnsureSettingsFolder(Files& files, Boxes& boxes, std::string& folder,
                          const std::string& programFolder, bool announce) {
  if (files.exists(folder + kFixedSettingsFileName)) return true;
  if (files.folder_exists(WithoutTrailingBackslash(folder))) return true;
  if (announce) boxes.message("[" + folder + "]が見つかりません。\r\n作成し直します。");
  if (EnsureFolder(files, boxes, folder, true, false)) {
    MoveProgramFolderFiles(files, boxes, folder, programFolder);
    return true;
  }
  boxes.message("[" + folder + "]が作成できません。\r\n起動したフォルダに設定します。");
  folder = programFolder;
  return false;
}

void MoveProgramFolderFiles(Files& files, Boxes& boxes, const std::string& folder,
                            const std::string& programFolder) {
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
  MoveToSafeGuard(files, boxes, programFolder, kFixedSettingsFileName, kMovedGenerations);
  MoveToSafeGuard(files, boxes, programFolder, kAccessLogFileName, kMovedGenerations);
}

void ResolveSettingsFolder(Files& files, TextCodec& codec, Boxes& boxes, SettingsLocation& at) {
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
    if (!EnsureSettingsFolder(files, boxes, folder, at.programFolder, false)) settle(folder);
  }
}

}  // namespace horalux
