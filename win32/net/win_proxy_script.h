#pragma once
#include "core/platform/proxy_script.h"

namespace horalux::win32 {

// WinHTTP's look-up of the proxy a script names. From Windows 8 on it runs
// asynchronously on a resolver handle that is closed, cancelling it, when
// every caller waiting for it has given up; where the system lacks that,
// WinHttpGetProxyForUrl blocks on a thread of its own for as long as the
// script's server keeps it waiting. A caller that asks about the same script
// and URL while a look-up still runs joins that one. winhttp.dll is loaded
// from the system folder on first use and stays loaded.
class WinProxyScript : public ProxyScript {
 public:
  std::unique_ptr<Lookup> start(const std::string& script_url, const std::string& url) override;
};

}  // namespace horalux::win32
