#include "core/base/file_replace.h"

#include <cstdint>
#include <optional>

namespace horalux {

bool ReplaceFileContent(Files& files, const std::string& path, const std::string& bytes) {
  const std::optional<std::uint32_t> old = files.attributes(path);
  // Checked here because a rename does not refuse everywhere (Wine as root).
  if (old && (*old & (file_attribute::kReadOnly | file_attribute::kDirectory))) return false;
  const std::string fresh = path + ".new";
  // One left by a run that ended mid-save may carry the hidden attribute,
  // and Windows refuses to overwrite a hidden file: every later save would fail.
  files.remove(fresh);
  bool done = files.write(fresh, bytes) &&
              (!old || *old == 0 || files.set_attributes(fresh, *old)) &&
              files.replace(fresh, path);
  if (!done) files.remove(fresh);
  return done;
}

bool CopyFileBytes(Files& files, const std::string& from, const std::string& to) {
  std::optional<std::string> bytes = files.read(from);
  return bytes && ReplaceFileContent(files, to, *bytes);
}

}  // namespace horalux
