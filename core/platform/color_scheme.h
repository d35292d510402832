#pragma once

namespace horalux {

// The user's choice of screen colours, as the windows need to know it.
class ColorScheme {
 public:
  virtual ~ColorScheme() = default;
  // Whether the user runs a high-contrast scheme now; it may change while
  // the program runs (the system then tells every window).
  virtual bool high_contrast() = 0;
};

}  // namespace horalux
