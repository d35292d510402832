#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace horalux {

// A Task Scheduler answer as the service gave it (an HRESULT): zero done,
// other values from zero up done with a reservation, below zero a failure.
using TaskAnswer = std::int32_t;
inline constexpr TaskAnswer kTaskAnswerOk = 0;
// The two failures that mean the task, or its folder, is not there.
inline constexpr TaskAnswer kTaskFileNotFound = static_cast<TaskAnswer>(0x80070002u);
inline constexpr TaskAnswer kTaskPathNotFound = static_cast<TaskAnswer>(0x80070003u);

// What the service keeps of a registered task: its principal's user (a SID
// text), the program of its first action and the whole definition as the
// service gives it back (XML); empty texts for what it does not keep.
struct RegisteredTask {
  std::string user_sid;
  std::string command;
  std::string xml;
};

// A look-up: the task when the answer is zero.
struct TaskLookup {
  TaskAnswer answer = kTaskAnswerOk;
  std::optional<RegisteredTask> task;
};

// The system's Task Scheduler. Folders are the scheduler's paths ("\\" for
// the root, "\\Orvane\\HoraLux"); names and definitions are UTF-8, a
// definition is the Task Scheduler's XML text, an access rule SDDL text.
// Every call gives the service's answer unchanged: what it means is the
// caller's to decide.
class TaskService {
 public:
  virtual ~TaskService() = default;
  // The task of that name in that folder.
  virtual TaskLookup find_task(const std::string& folder, const std::string& name) = 0;
  // Registers the task, replacing one of the same name, with `sddl` as its
  // access rules and none added for its principal. A missing folder is made
  // with `sddl`; an existing one gets `sddl`.
  virtual TaskAnswer register_task(const std::string& folder, const std::string& name,
                                   const std::string& xml, const std::string& sddl) = 0;
  // Deletes the task of that name in that folder.
  virtual TaskAnswer delete_task(const std::string& folder, const std::string& name) = 0;
};

}  // namespace horalux
