#pragma once

namespace horalux {

// The short system sound that tells the user an input was refused.
class Beeper {
 public:
  virtual ~Beeper() = default;
  virtual void beep() = 0;
};

}  // namespace horalux
