#include "core/install/setup_target.h"

#include "core/base/path_text.h"

namespace horalux {
namespace {
constexpr const char* kExeName = "Horalux.exe";
constexpr const char* kProbeName = "Horalux.setup-probe.$$$";
}  // namespace

bool StandardUserMaySetUpInto(Files& files, StartupTask& task, const std::string& target) {
  if (task.IsInstalledCopy(target + kExeName)) return false;
  std::string folder = WithoutTrailingBackslash(target);
  while (!files.folder_exists(folder)) {
    const std::string parent = WithoutTrailingBackslash(FolderPartOf(folder));
    // No folder of the path exists: making it will tell.
    if (parent.size() >= folder.size()) return true;
    folder = parent;
  }
  // In the system drive's root a standard user may make a folder, which is
  // then theirs, but no file: the root is no test.
  if (folder.size() <= 3) return true;
  const std::string probe = WithTrailingBackslash(folder) + kProbeName;
  if (!files.write(probe, "")) return false;
  files.remove(probe);
  return true;
}

}  // namespace horalux
