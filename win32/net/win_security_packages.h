#pragma once
#include "core/platform/proxy_auth_ports.h"

namespace horalux {

// SSPI from secur32.dll, loaded from System32 on first use (never imported:
// it is not one of the known DLLs), with the logged-on user's credentials.
class WinSecurityPackages : public SecurityPackages {
 public:
  std::unique_ptr<SecurityContext> start(const std::string& package,
                                         const std::string& target) override;
};

}  // namespace horalux
