#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace horalux {

// A user name and password for a proxy. The password lives only in memory
// and in the system's credential store: never in a file or a trace.
struct ProxyCredential {
  std::string user;      // UTF-8
  std::string password;  // UTF-8
};

// The user's credential store (Windows Credential Manager): generic
// credentials named by a target text.
class CredentialStore {
 public:
  virtual ~CredentialStore() = default;
  // The credential stored under `target`, or nothing when none is (or it
  // cannot be read).
  virtual std::optional<ProxyCredential> read(const std::string& target) = 0;
  // Stores `credential` under `target` for this user on this PC; false when
  // the store refused it.
  virtual bool write(const std::string& target, const ProxyCredential& credential) = 0;
  // Removes the credential under `target`; nothing when there is none.
  virtual void remove(const std::string& target) = 0;
};

// One security context of the logged-on user (SSPI), step by step.
class SecurityContext {
 public:
  virtual ~SecurityContext() = default;
  // Feeds the server's token (empty for the first step) and gives the next
  // token to send in `out`; false when the package refuses to go on.
  virtual bool step(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out) = 0;
};

// The system's security packages, with the logged-on user's own credentials.
class SecurityPackages {
 public:
  virtual ~SecurityPackages() = default;
  // A context of `package` ("Negotiate", "NTLM") for the service `target`
  // ("HTTP/host"); nullptr when the package or the user's credentials are
  // not available.
  virtual std::unique_ptr<SecurityContext> start(const std::string& package,
                                                 const std::string& target) = 0;
};

// What the user typed into the credentials window.
struct CredentialsAnswer {
  ProxyCredential credential;
  bool save = true;  // "このパスワードを保存する" ticked
};

// The small window that asks for a proxy's user name and password.
class CredentialsPrompt {
 public:
  virtual ~CredentialsPrompt() = default;
  // Shows `text` above the fields and waits; nothing when the user cancels.
  virtual std::optional<CredentialsAnswer> ask(const std::string& text) = 0;
};

// The three together, as a run passes them on.
struct ProxyAuthPorts {
  SecurityPackages& sspi;
  CredentialStore& store;
  CredentialsPrompt& prompt;
};

}  // namespace horalux
