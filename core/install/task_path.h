#pragma once
#include <string>

namespace horalux {

// The Task Scheduler expands "%NAME%" in a task's program path, so a path
// with a "%" may start something other than what lies at it: no task ever
// starts such a path, and setup makes no installation there.
inline bool TaskWouldExpand(const std::string& path) {
  return path.find('%') != std::string::npos;
}

}  // namespace horalux
