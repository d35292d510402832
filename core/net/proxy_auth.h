#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/net/proxy_authorizer.h"
#include "core/platform/proxy_auth_ports.h"

namespace horalux {

// One scheme a proxy offers in a Proxy-Authenticate line, with what follows
// it (a token, or parameters such as realm="...").
struct ProxyChallenge {
  std::string scheme;  // as sent: "Basic", "NTLM", "Negotiate"...
  std::string data;    // the rest of the line, blanks around it removed
};

// Every Proxy-Authenticate line of a reply's header block, in order.
std::vector<ProxyChallenge> ProxyChallenges(const std::string& reply_header);

// "Basic " and the base64 of user ":" password (UTF-8).
std::string BasicAuthorization(const ProxyCredential& credential);

// The credential store's name for the proxy's user name and password.
std::string ProxyCredentialTarget(const std::string& host, int port);

// The text of the credentials window for the proxy host:port.
std::string ProxyCredentialsQuestion(const std::string& host, int port);

// Proxy authentication as the program does it: Negotiate or NTLM with the
// logged-on user's own credentials when offered; Basic with the user name
// and password stored for the proxy, asked for once when a connection test
// finds none.
class ProxyAuthenticator : public ProxyAuthorizer {
 public:
  explicit ProxyAuthenticator(ProxyAuthPorts ports) : p_(ports) {}

  // Before each fetch. A connection test may ask the user and forgets
  // stored credentials the proxy refuses; a resident run does neither.
  void Prepare(bool connection_test) {
    connection_test_ = connection_test;
    save_failed_ = false;
  }
  // The user's credentials of the last GET could not be saved.
  bool SaveFailed() const { return save_failed_; }

  void Begin(const std::string& host, int port) override;
  std::optional<std::string> Answer(const std::string& reply_header) override;

 private:
  std::optional<std::string> NextSecurityToken(const std::vector<ProxyChallenge>& offered);
  std::optional<std::string> BasicCredential(const std::vector<ProxyChallenge>& offered);

  ProxyAuthPorts p_;
  bool connection_test_ = false;
  std::string host_;
  int port_ = 0;
  // The running handshake of Negotiate or NTLM, and its scheme.
  std::unique_ptr<SecurityContext> context_;
  std::string context_scheme_;
  bool security_tried_ = false;
  bool basic_sent_ = false;
  // The Basic credential sent is the one in the store (found there, or saved).
  bool basic_from_store_ = false;
  bool save_failed_ = false;
};

}  // namespace horalux
