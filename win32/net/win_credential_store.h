#pragma once
#include "core/platform/proxy_auth_ports.h"

namespace horalux {

// Generic credentials in Windows Credential Manager (advapi32), the password
// as UTF-16 without a terminator, as cmdkey and the control panel keep it.
class WinCredentialStore : public CredentialStore {
 public:
  std::optional<ProxyCredential> read(const std::string& target) override;
  bool write(const std::string& target, const ProxyCredential& credential) override;
  void remove(const std::string& target) override;
};

}  // namespace horalux
