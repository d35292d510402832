#pragma once
#include <string>

#include "core/platform/files.h"

namespace horalux {

// Puts `bytes` in place of the file at `path` (creating it when missing):
// they go in full to a new file beside it, flushed, which then takes the
// old one's place in one step with the old one's attributes, so a full disk
// or a kill mid-write leaves the old file whole and a hidden file stays
// hidden. A file with the read-only attribute is left as it is, as Windows
// leaves it. False on any failure; the new file is then gone.
bool ReplaceFileContent(Files& files, const std::string& path, const std::string& bytes);

// Byte-for-byte copy to a target that must not exist yet. The target shows
// up whole or not at all. False on any failure.
bool CopyFileBytes(Files& files, const std::string& from, const std::string& to);

}  // namespace horalux
