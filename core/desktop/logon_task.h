#pragma once
#include <string>

namespace horalux {

// The Task Scheduler's name of this user's logon task: one per user, so that
// several users of one PC each have theirs.
std::string LogonTaskName(const std::string& user_sid);

// The task definition (Task Scheduler XML, UTF-16 declared, handed over as
// text) that starts `program` with "-R" in its folder, elevated without a
// prompt, when the user `user_sid` logs on. The user may read the task but
// only administrators may change it: whoever could change it could run
// anything elevated.
std::string LogonTaskXml(const std::string& user_sid, const std::string& program);

// Whether `path` lies inside `program_files` (where standard users cannot
// write), compared as Windows compares paths: letter case does not count,
// and a path that climbs out with "." or ".." segments does not count.
bool IsUnderFolder(const std::string& path, const std::string& program_files);

}  // namespace horalux
