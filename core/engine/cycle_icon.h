#pragma once
#include <string>

namespace horalux {

// The notification-area icon as the cycle uses it: shown with a tip while
// the program waits on the user. Its failures stay inside it.
class CycleIcon {
 public:
  virtual ~CycleIcon() = default;
  virtual void ShowWithTip(const std::string& tip) = 0;
};

}  // namespace horalux
