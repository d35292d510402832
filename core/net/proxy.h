#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/platform/clock.h"
#include "core/platform/message_pump.h"
#include "core/platform/proxy_script.h"
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

// How long a proxy script may take to answer, in milliseconds; the answer
// after it is dropped.
inline constexpr std::uint32_t kProxyScriptLimitMs = 5000;

struct ProxyLookupPorts {
  Registry& registry;
  TextCodec& codec;
  ProxyScript& script;
  Clock& clock;
  MessagePump& pump;
};

// The proxy for `url`, as Windows finds it: the automatic configuration
// script named by "AutoConfigURL" first; when there is none, or it gives no
// answer within kProxyScriptLimitMs (window events are handled meanwhile),
// GetProxy, which holds no proxy for a host on the browser's bypass list
// ("ProxyOverride"). Raises what GetProxy raises, and ERegistryError for a
// bypass list that is no text; a script never raises.
TProxy GetProxyForUrl(const ProxyLookupPorts& ports, const std::string& url);

}  // namespace horalux
