#pragma once
#include <string>

#include "core/install/startup_task.h"
#include "core/platform/files.h"

namespace horalux {

// Whether a standard user may set up into `target` (a folder text with
// trailing "\"): not under Program Files, where only administrators write
// and where a copy would pass for an installed one, and only where they can
// make a file: in the target, or, when it is still to be made, in the
// nearest folder above it that exists. The test file is removed again.
bool StandardUserMaySetUpInto(Files& files, StartupTask& task, const std::string& target);

}  // namespace horalux
