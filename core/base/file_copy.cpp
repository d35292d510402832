#include "core/base/file_copy.h"

#include <optional>

namespace horalux {

bool CopyFileBytes(Files& files, const std::string& from, const std::string& to) {
  std::optional<std::string> bytes = files.read(from);
  if (!bytes) return false;
  const std::string part = to + ".new";
  if (!files.write(part, *bytes) || !files.rename(part, to)) {
    files.remove(part);
    return false;
  }
  return true;
}

}  // namespace horalux
