#pragma once
#include <string>

#include "core/net/id_exceptions.h"

namespace horalux {

// A failed step of a TCP session (look-up, connect, a socket call).
class ESockError : public EIdException {
 public:
  using EIdException::EIdException;
  // "10004:Interrupted system call" for a socket call's error number.
  static ESockError FromErrorNumber(int error);
};

// A send or receive that was cancelled or ran out of time.
class EAbortError : public EIdException {
 public:
  using EIdException::EIdException;
};

}  // namespace horalux
