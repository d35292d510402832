#pragma once
#include "core/platform/proxy_script.h"

namespace horalux::win32 {

// WinHTTP's WinHttpGetProxyForUrl with the script's address, on a thread of
// its own per look-up: the call blocks for as long as the script's server
// keeps it waiting. winhttp.dll is loaded from the system folder on first
// use and stays loaded.
class WinProxyScript : public ProxyScript {
 public:
  std::unique_ptr<Lookup> start(const std::string& script_url, const std::string& url) override;
};

}  // namespace horalux::win32
