#pragma once
#include <string_view>

namespace horalux {

// Whether the browser reaches `host` at `port` without its fixed proxy, by
// its bypass list ("ProxyOverride"): entries separated by ";", compared
// without regard to case, "*" standing for any run of characters. An entry
// with a port ("host:8080") holds for that port only; "<local>" for a host
// without a dot; a bare name for that host alone. localhost and 127.0.0.1
// always go direct unless the list holds "<-loopback>".
bool BypassesProxy(std::string_view list, std::string_view host, int port);

}  // namespace horalux
