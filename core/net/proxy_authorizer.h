#pragma once
#include <optional>
#include <string>

namespace horalux {

// Answers a proxy that refuses a request with 407 until it is given
// credentials. The HTTP client asks it only about the proxy it connected to,
// and only before any redirect.
class ProxyAuthorizer {
 public:
  virtual ~ProxyAuthorizer() = default;
  // A GET through the proxy `host`:`port` begins; what the previous one
  // tried is forgotten.
  virtual void Begin(const std::string& host, int port) = 0;
  // The proxy's 407 reply (status and header lines as received): the value
  // of the Proxy-Authorization line for the repeated request, or nothing
  // when no (further) credentials can be given.
  virtual std::optional<std::string> Answer(const std::string& reply_header) = 0;
};

}  // namespace horalux
