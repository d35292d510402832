#pragma once
#include "core/platform/task_service.h"
#include "win32/platform/com_ptr.h"

namespace horalux {

// The Task Scheduler through its COM service object, connected anew for
// each call (the program calls it a few times a run at most).
class WinTaskService : public TaskService {
 public:
  TaskLookup find_task(const std::string& folder, const std::string& name) override;
  TaskAnswer register_task(const std::string& folder, const std::string& name,
                           const std::string& xml, const std::string& sddl) override;
  TaskAnswer delete_task(const std::string& folder, const std::string& name) override;

 private:
  win32::ComSession com_;
};

}  // namespace horalux
