#include "core/net/proxy_auth.h"

#include <algorithm>

#include "core/base/ascii_case.h"
#include "core/base/trim_blanks.h"
#include "core/base/wipe_secret.h"
#include "core/net/base64.h"

namespace horalux {
namespace {

constexpr char kBasic[] = "Basic";
// Negotiate first: it lets a domain use Kerberos, and falls back to NTLM.
constexpr const char* kSecuritySchemes[] = {"Negotiate", "NTLM"};

const ProxyChallenge* Offered(const std::vector<ProxyChallenge>& offered, std::string_view scheme) {
  auto it = std::find_if(offered.begin(), offered.end(), [&](const ProxyChallenge& c) {
    return SameIgnoringAsciiCase(c.scheme, scheme);
  });
  return it == offered.end() ? nullptr : &*it;
}

}  // namespace

std::vector<ProxyChallenge> ProxyChallenges(const std::string& reply_header) {
  std::vector<ProxyChallenge> found;
  std::size_t start = 0;
  while (start < reply_header.size()) {
    std::size_t end = reply_header.find('\n', start);
    if (end == std::string::npos) end = reply_header.size();
    std::string_view line(reply_header.data() + start, end - start);
    start = end + 1;
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos ||
        !SameIgnoringAsciiCase(line.substr(0, colon), "Proxy-Authenticate"))
      continue;
    std::string value(TrimBlanks(line.substr(colon + 1)));
    std::size_t blank = value.find(' ');
    ProxyChallenge c;
    c.scheme = value.substr(0, blank);
    if (blank != std::string::npos) c.data = TrimBlanks(std::string_view(value).substr(blank + 1));
    if (!c.scheme.empty()) found.push_back(std::move(c));
  }
  return found;
}

// Each text that holds the password, or its Base64, is built in a buffer
// reserved once and wiped after use: a string that grows would leave copies
// in the memory it frees.
std::string BasicAuthorization(const ProxyCredential& credential) {
  std::string pair;
  pair.reserve(credential.user.size() + 1 + credential.password.size());
  pair.append(credential.user).append(":").append(credential.password);
  std::string encoded = Base64Encode(pair);
  WipeSecret(pair);
  std::string value;
  value.reserve(sizeof kBasic + encoded.size());
  value.append(kBasic).append(" ").append(encoded);
  WipeSecret(encoded);
  return value;
}

std::string ProxyCredentialTarget(const std::string& host, int port) {
  return "Horalux proxy " + host + ":" + std::to_string(port);
}

std::string ProxyCredentialsQuestion(const std::string& host, int port) {
  return "プロキシサーバー " + host + ":" + std::to_string(port) +
         " の認証が必要です。\r\nユーザー名とパスワードを入力してください。";
}

void ProxyAuthenticator::Begin(const std::string& host, int port) {
  host_ = host;
  port_ = port;
  context_.reset();
  context_scheme_.clear();
  security_tried_ = false;
  basic_sent_ = false;
  basic_from_store_ = false;
  save_failed_ = false;
}

std::optional<std::string> ProxyAuthenticator::Answer(const std::string& reply_header) {
  const std::vector<ProxyChallenge> offered = ProxyChallenges(reply_header);
  if (std::optional<std::string> token = NextSecurityToken(offered)) return token;
  return BasicCredential(offered);
}

std::optional<std::string> ProxyAuthenticator::NextSecurityToken(
    const std::vector<ProxyChallenge>& offered) {
  std::vector<std::uint8_t> out;
  if (context_) {
    // The proxy's answer to our last token; without one it refused us.
    const ProxyChallenge* answer = Offered(offered, context_scheme_);
    std::optional<std::vector<std::uint8_t>> in;
    if (answer && !answer->data.empty()) in = Base64Decode(answer->data);
    if (in && context_->step(*in, out) && !out.empty())
      return context_scheme_ + " " + Base64Encode(out);
    context_.reset();
    return std::nullopt;
  }
  if (security_tried_) return std::nullopt;
  security_tried_ = true;
  for (const char* scheme : kSecuritySchemes) {
    if (!Offered(offered, scheme)) continue;
    context_ = p_.sspi.start(scheme, "HTTP/" + host_);
    if (context_ && context_->step({}, out) && !out.empty()) {
      context_scheme_ = scheme;
      return context_scheme_ + " " + Base64Encode(out);
    }
    context_.reset();
  }
  return std::nullopt;
}

std::optional<std::string> ProxyAuthenticator::BasicCredential(
    const std::vector<ProxyChallenge>& offered) {
  if (!Offered(offered, kBasic)) return std::nullopt;
  const std::string target = ProxyCredentialTarget(host_, port_);
  if (basic_sent_) {
    // Refused: a stored password that no longer works would fail every
    // later test too, so the next test asks afresh.
    if (basic_from_store_ && connection_test_) p_.store.remove(target);
    basic_from_store_ = false;
    return std::nullopt;
  }
  basic_sent_ = true;
  if (std::optional<ProxyCredential> stored = p_.store.read(target)) {
    basic_from_store_ = true;
    std::string value = BasicAuthorization(*stored);
    WipeSecret(stored->password);
    return value;
  }
  if (!connection_test_) return std::nullopt;
  std::optional<CredentialsAnswer> typed = p_.prompt.ask(ProxyCredentialsQuestion(host_, port_));
  if (!typed) return std::nullopt;
  if (typed->save) {
    if (p_.store.write(target, typed->credential))
      basic_from_store_ = true;
    else
      save_failed_ = true;
  }
  std::string value = BasicAuthorization(typed->credential);
  WipeSecret(typed->credential.password);
  return value;
}

}  // namespace horalux
