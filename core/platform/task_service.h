#pragma once
#include <optional>
#include <string>

namespace horalux {

// What the service keeps of a registered task: its principal's user (a SID
// text) and the program of its first action; empty texts for what it does
// not keep.
struct RegisteredTask {
  std::string user_sid;
  std::string command;
};

// The system's Task Scheduler. Folders are the scheduler's paths ("\\" for
// the root, "\\Orvane\\HoraLux"); names and definitions are UTF-8, a
// definition is the Task Scheduler's XML text, an access rule SDDL text.
class TaskService {
 public:
  virtual ~TaskService() = default;
  // The task of that name in that folder; nothing when there is none (or the
  // service cannot be reached).
  virtual std::optional<RegisteredTask> find_task(const std::string& folder,
                                                  const std::string& name) = 0;
  // Registers the task, replacing one of the same name, with `sddl` as its
  // access rules and none added for its principal. A missing folder is made
  // with `sddl`; an existing one gets `sddl`. False when the service refused
  // any of it (or could not be reached).
  virtual bool register_task(const std::string& folder, const std::string& name,
                             const std::string& xml, const std::string& sddl) = 0;
  // True when no task of that name is left in that folder.
  virtual bool delete_task(const std::string& folder, const std::string& name) = 0;
};

}  // namespace horalux
