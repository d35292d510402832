#include "core/base/folder_tree.h"

#include <vector>

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

}  // namespace

bool MakeFolderTree(Files& files, const std::string& folder) {
  if (folder.empty()) return false;
  std::vector<std::string> missing{folder};
  for (std::string up = ParentOf(folder); !up.empty() && !ParentPresent(files, up);
       up = ParentOf(up))
    missing.push_back(up);
  const std::string& outermost = missing.back();
  if (IsBareDrive(outermost) || outermost.find_first_not_of('\\') == std::string::npos)
    return false;
  for (auto it = missing.rbegin(); it != missing.rend(); ++it)
    if (!files.make_folder(*it)) return false;
  return true;
}

}  // namespace horalux
