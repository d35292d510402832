#pragma once
#include <string>

namespace horalux {

// The system's Task Scheduler, root folder only. Names and definitions are
// UTF-8; a definition is the Task Scheduler's XML text.
class TaskService {
 public:
  virtual ~TaskService() = default;
  virtual bool task_exists(const std::string& name) = 0;
  // Registers the task, replacing one of the same name; false when the
  // service refused it (or could not be reached).
  virtual bool register_task(const std::string& name, const std::string& xml) = 0;
  // True when no task of that name is left.
  virtual bool delete_task(const std::string& name) = 0;
};

}  // namespace horalux
