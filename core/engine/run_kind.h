#pragma once

namespace horalux {

// The one thing a cycle needs to know of the run it belongs to.
class RunKind {
 public:
  // True while the program runs resident: the window stays as it is.
  virtual bool IsResidentRun() const = 0;

 protected:
  ~RunKind() = default;
};

}  // namespace horalux
