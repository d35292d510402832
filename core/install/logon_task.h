#pragma once
#include <optional>
#include <string>

#include "core/platform/clock.h"

namespace horalux {

// The task folder of the logon tasks. Only administrators may make or change
// a task there: in the root folder any user could take a task's name first.
inline constexpr const char* kLogonTaskFolder = "\\Orvane\\HoraLux";
// Where releases before it put the task.
inline constexpr const char* kRootTaskFolder = "\\";
// The access rules of the folder and of each task in it: SYSTEM and
// Administrators full control, everyone else read, so that the user's
// unelevated copy can see whether its task is there.
inline constexpr const char* kLogonTaskSddl = "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FR;;;WD)";

// The Task Scheduler's name of this user's logon task: one per user, so that
// several users of one PC each have theirs.
std::string LogonTaskName(const std::string& user_sid);

// The task definition (Task Scheduler XML, UTF-16 declared, handed over as
// text) that starts `program` with "-R" in its folder, elevated without a
// prompt, when the user `user_sid` logs on. Users may read the task but
// only administrators may change it: whoever could change it could run
// anything elevated. Nobody may start it by hand: it runs at logon only.
// Empty text for a program whose path holds "%": the scheduler expands
// environment variables in the command and its folder, so the task would
// start another path.
// With `daily_from` (local time, the day of registration) the task also
// starts once a day around noon from that day on, or as soon as it can when
// the PC slept or was off at that time; it never wakes the PC.
std::string LogonTaskXml(const std::string& user_sid, const std::string& program,
                         const std::optional<SystemTimeFields>& daily_from = std::nullopt);

// Whether a task definition as the scheduler gives it back starts the task
// once a day.
bool HasDailyTrigger(const std::string& task_xml);

// Whether `path` lies inside `program_files` (where standard users cannot
// write), compared as Windows compares paths: letter case does not count,
// and a path that climbs out with "." or ".." segments does not count.
bool IsUnderFolder(const std::string& path, const std::string& program_files);

}  // namespace horalux
