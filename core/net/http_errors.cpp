#include "core/net/http_errors.h"

namespace horalux {

ESockError ESockError::FromErrorNumber(int error) {
  std::string description = SocketErrorDescription(error);
  if (description.empty()) return ESockError("Unknown Error No. " + std::to_string(error));
  if (description.back() == '.') description.pop_back();
  return ESockError(std::to_string(error) + ":" + description);
}

}  // namespace horalux
