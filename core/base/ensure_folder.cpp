#include "core/base/ensure_folder.h"

#include <vector>

#include "core/base/confirm.h"
#include "core/base/path_text.h"

namespace horalux {
namespace {

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

bool EnsureFolder(Files& files, Boxes& boxes, const std::string& folder, bool create, bool ask) {
  const std::string target = WithoutTrailingBackslash(std::string(TrimBlanks(folder)));
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

}  // namespace horalux
