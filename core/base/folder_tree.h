#pragma once
#include <string>

#include "core/platform/files.h"

namespace horalux {

// Makes `folder` (a path without trailing "\") after its missing parents,
// outermost first. False for an empty path, a drive that is not there (or
// not one a folder can be made on), a path that climbs out of every folder,
// or a failed creation.
bool MakeFolderTree(Files& files, const std::string& folder);

}  // namespace horalux
