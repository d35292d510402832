#include "core/settings/virtual_store.h"

#include "core/base/ascii_case.h"
#include "core/base/path_text.h"

namespace horalux {
namespace {

// The folders below a drive root whose writes Windows redirects.
bool IsVirtualizedTopFolder(const std::string& name) {
  for (const char* virtualized : {"Program Files", "Program Files (x86)", "Windows"})
    if (SameIgnoringAsciiCase(name, virtualized)) return true;
  return false;
}

}  // namespace

std::string VirtualStorePathOf(const std::string& path, const std::string& local_app_data) {
  if (local_app_data.empty()) return "";
  const bool below_drive_root = path.size() > 3 && AsciiUpper(path[0]) >= 'A' &&
                                AsciiUpper(path[0]) <= 'Z' && path[1] == ':' && path[2] == '\\';
  if (!below_drive_root) return "";
  const std::string without_drive = path.substr(3);
  if (!IsVirtualizedTopFolder(without_drive.substr(0, without_drive.find('\\')))) return "";
  return WithTrailingBackslash(local_app_data) + "VirtualStore\\" + without_drive;
}

std::string EarlierFileSource(Files& files, const std::string& path,
                              const std::string& local_app_data) {
  const std::string virtual_copy = VirtualStorePathOf(path, local_app_data);
  return !virtual_copy.empty() && files.exists(virtual_copy) ? virtual_copy : path;
}

}  // namespace horalux
