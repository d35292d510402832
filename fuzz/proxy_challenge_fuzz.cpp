// The proxy's 407 replies: their Proxy-Authenticate lines (schemes, Base64
// tokens, parameters) as the handshake reads them, round after round.
//
// Input: the header blocks of up to eight replies, separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/ascii_case.h"
#include "core/net/base64.h"
#include "core/net/proxy_auth.h"
#include "fuzz/fuzz_input.h"
#include "tests/fakes/fake_proxy_auth.h"

using namespace horalux;

namespace {

// What the program sends names a scheme the proxy offered in the same reply,
// and its token is whole Base64.
void CheckAnswer(const std::string& answer, const std::string& header) {
  const std::size_t blank = answer.find(' ');
  fuzz::Require(blank != std::string::npos, "an answer has a scheme and a token");
  const std::string_view scheme(answer.data(), blank);
  bool offered = false;
  for (const ProxyChallenge& c : ProxyChallenges(header))
    offered = offered || SameIgnoringAsciiCase(c.scheme, scheme);
  fuzz::Require(offered, "an answer uses a scheme of the reply it answers");
  fuzz::Require(Base64Decode(std::string_view(answer).substr(blank + 1)).has_value(),
                "an answer's token is Base64");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput in(data, size);
  const std::string all = in.Rest();
  fakes::FakeProxyAuth ports;
  ports.sspi.packages = {"Negotiate", "NTLM"};
  ports.store.stored[ProxyCredentialTarget("proxy.lan", 3128)] = {"user", "secret"};
  ports.prompt.answer = CredentialsAnswer{{"ユーザ", "パス"}, false};
  ProxyAuthenticator auth(ports.ports());
  auth.Prepare(true);
  auth.Begin("proxy.lan", 3128);
  std::size_t start = 0;
  for (int round = 0; round < 8 && start <= all.size(); ++round) {
    std::size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    const std::string header = all.substr(start, end - start);
    start = end + 1;
    for (const ProxyChallenge& c : ProxyChallenges(header)) {
      fuzz::Require(!c.scheme.empty(), "a challenge names its scheme");
      // A token the program decodes survives its own encoding.
      if (const auto bytes = Base64Decode(c.data))
        fuzz::Require(Base64Decode(Base64Encode(*bytes)) == bytes, "Base64 round trip");
    }
    if (const std::optional<std::string> answer = auth.Answer(header)) CheckAnswer(*answer, header);
  }
  return 0;
}
