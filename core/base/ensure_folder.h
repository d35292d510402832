#pragma once
#include <string>

#include "core/platform/boxes.h"
#include "core/platform/files.h"

namespace horalux {

// Whether the folder exists afterwards. With `create` it is made along with
// its missing parents; with `ask` the user is asked first and told when the
// creation failed.
bool EnsureFolder(Files& files, Boxes& boxes, const std::string& folder, bool create, bool ask);

}  // namespace horalux
