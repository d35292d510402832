#pragma once
#include <stdexcept>
#include <string>

#include "core/platform/registry.h"
#include "core/platform/text_codec.h"

namespace horalux {

// The proxy the user's internet settings name. Address and Port are set only
// when InUse is true.
struct TProxy {
  std::string Address;
  int Port = 0;
  bool InUse = false;
};

// A port text in the internet settings that is not a whole number.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\";

// Reads the current user's internet settings. Raises ERegistryError for a
// value stored in an unreadable form and EConvertError for a port text that
// is not a number.
void GetProxy(Registry& registry, TextCodec& codec, TProxy& proxy);

}  // namespace horalux
