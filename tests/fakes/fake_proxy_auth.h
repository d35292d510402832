#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/proxy_auth_ports.h"

namespace horalux::fakes {

// An in-memory credential store; `refuse_writes` plays one that is full or locked.
struct FakeCredentialStore : CredentialStore {
  std::optional<ProxyCredential> read(const std::string& target) override {
    auto it = stored.find(target);
    return it == stored.end() ? std::nullopt : std::optional<ProxyCredential>(it->second);
  }
  bool write(const std::string& target, const ProxyCredential& credential) override {
    if (!refuse_writes) stored[target] = credential;
    return !refuse_writes;
  }
  void remove(const std::string& target) override { stored.erase(target); }
  std::map<std::string, ProxyCredential> stored;
  bool refuse_writes = false;
};

// Packages in `packages` send "token<n>" at their n-th step and record the
// server tokens they are given.
struct FakeSecurityPackages : SecurityPackages {
  struct Context : SecurityContext {
    explicit Context(FakeSecurityPackages& o) : owner(o) {}
    bool step(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out) override {
      owner.received.emplace_back(in.begin(), in.end());
      std::string token = "token" + std::to_string(owner.received.size());
      out.assign(token.begin(), token.end());
      return true;
    }
    FakeSecurityPackages& owner;
  };
  std::unique_ptr<SecurityContext> start(const std::string& package,
                                         const std::string& target) override {
    started.push_back(package + " " + target);
    for (const std::string& p : packages)
      if (p == package) return std::make_unique<Context>(*this);
    return nullptr;
  }
  std::vector<std::string> packages, started, received;
};

// The credentials window with a scripted answer (nothing: キャンセル).
struct FakeCredentialsPrompt : CredentialsPrompt {
  std::optional<CredentialsAnswer> ask(const std::string& text) override {
    asked.push_back(text);
    return answer;
  }
  std::optional<CredentialsAnswer> answer;
  std::vector<std::string> asked;
};

struct FakeProxyAuth {
  FakeSecurityPackages sspi;
  FakeCredentialStore store;
  FakeCredentialsPrompt prompt;
  ProxyAuthPorts ports() { return {sspi, store, prompt}; }
};

}  // namespace horalux::fakes
