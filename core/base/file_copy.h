#pragma once
#include <string>

#include "core/platform/files.h"

namespace horalux {

// Byte-for-byte copy to a target that must not exist yet. The target shows
// up whole or not at all. False on any failure.
bool CopyFileBytes(Files& files, const std::string& from, const std::string& to);

}  // namespace horalux
