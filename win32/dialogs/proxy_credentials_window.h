#pragma once
#include <windows.h>

#include "core/platform/proxy_auth_ports.h"

namespace horalux {

// The small window that asks for a proxy's user name and password: modal
// over the main window while it is shown, on top of everything otherwise.
class ProxyCredentialsWindow : public CredentialsPrompt {
 public:
  std::optional<CredentialsAnswer> ask(const std::string& text) override;
  void set_owner(HWND owner) { owner_ = owner; }

 private:
  HWND owner_ = nullptr;
};

}  // namespace horalux
