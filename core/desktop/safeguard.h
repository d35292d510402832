#pragma once
#include <string>

#include "core/platform/boxes.h"
#include "core/platform/files.h"

namespace horalux {

// Numbered copies of a file in the "SafeGuard\" folder beside it, newest
// first: SafeGuard\01_name is the latest.

// The name of generation `number` of `file_name` in `backup_folder`.
std::string GenerationPath(const std::string& backup_folder, int number,
                           const std::string& file_name);

// Copies the file into generation 1 of the backup folder after moving the
// older generations up by one; at most `count` (2 to 32) remain. True when
// generation 1 now holds the file. Shows its own messages.
bool CopyToGenerations(Files& files, Boxes& boxes, const std::string& file_path,
                       const std::string& backup_folder, int count);

// Moves folder + file_name into the generations of folder + "SafeGuard\":
// copied there, then deleted from the folder. A missing file is no error.
// False when the file stayed where it was.
bool MoveToSafeGuard(Files& files, Boxes& boxes, const std::string& folder,
                     const std::string& file_name, int count);

}  // namespace horalux
