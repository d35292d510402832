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

inline constexpr const char* kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\";

// Reads the current user's internet settings. Raises ERegistryError for a
// value stored in an unreadable form. A port that is not a number, or lies
// outside 1..65535, names no usable proxy: InUse false.
void GetProxy(Registry& registry, TextCodec& codec, TProxy& proxy);

}  // namespace horalux
