#pragma once
#include "core/platform/registry.h"

namespace horalux::win32 {

// Reads HKEY_CURRENT_USER with the W functions; opens keys for reading only.
class WinRegistry : public Registry {
 public:
  RegistryValue ReadUserValue(const std::string& key, const std::string& name) override;
};

}  // namespace horalux::win32
