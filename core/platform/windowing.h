#pragma once
#include <string>

namespace horalux {

// Top-level windows of other processes, and this program's application window.
class Windowing {
 public:
  virtual ~Windowing() = default;
  // Finds a top-level window by class and title and brings it to the
  // foreground; false when there is none.
  virtual bool bring_forward(const std::string& window_class, const std::string& title) = 0;
  // Whether such a window is there, leaving it where it is.
  virtual bool exists(const std::string& window_class, const std::string& title) = 0;
  // Sets the title of this program's own application window.
  virtual void set_application_title(const std::string& title) = 0;
};

}  // namespace horalux
