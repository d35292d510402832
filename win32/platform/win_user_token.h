#pragma once
#include "core/platform/user_token.h"

namespace horalux {

// This process's access token.
class WinUserToken : public UserToken {
 public:
  Elevation elevation() override;
  std::string user_sid() override;
  std::string shell_owner_sid() override;
  std::string session_user_sid() override;
};

}  // namespace horalux
