#pragma once
#include "core/platform/file_security.h"

namespace horalux {

// Files' owners and access lists through the security API.
class WinFileSecurity : public FileSecurity {
 public:
  std::optional<SecurityInfo> read(const std::string& path) override;
  bool access_lists_apply() override;
  bool protect_install_folder(const std::string& path, const std::string& sddl) override;
};

}  // namespace horalux
