// The proxy's 407 replies: their Proxy-Authenticate lines (schemes, Base64
// tokens, parameters) as the handshake reads them, round after round.
// Input: the header blocks of up to eight replies, separated by NUL bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/base/ascii_case.h"
#include "core/net/base64.h"
#include "core/net/proxy_auth.h"
#include "fuzz/fuzz_input.h"
#include "tests/fakes/fake_proxy_auth.h"

using namespace horalux;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string all(reinterpret_cast<const char*>(data), size);
  fakes::FakeProxyAuth ports;
  ports.sspi.packages = {"Negotiate", "NTLM"};
  ports.store.stored[ProxyCredentialTarget("p", 8080)] = {"user", "secret"};
  ports.prompt.answer = CredentialsAnswer{{"ユーザ", "パス"}, false};
  ProxyAuthenticator auth(ports.ports());
  auth.Prepare(true);
  auth.Begin("p", 8080);
  for (std::size_t start = 0, round = 0; start <= size && round < 8; ++round) {
    const std::size_t end = std::min(all.find('\0', start), size);
    const std::string header = all.substr(start, end - start);
    start = end + 1;
    bool answerable = false;
    const std::optional<std::string> answer = auth.Answer(header);
    const std::string scheme = answer ? answer->substr(0, answer->find(' ')) : "";
    for (const ProxyChallenge& c : ProxyChallenges(header)) {
      answerable = answerable || SameIgnoringAsciiCase(c.scheme, scheme);
      if (const auto bytes = Base64Decode(c.data))
        fuzz::Require(Base64Decode(Base64Encode(*bytes)) == bytes, "Base64 round trip");
    }
    if (!answer) continue;
    const std::size_t blank = answer->find(' ');
    fuzz::Require(blank != std::string::npos && answerable, "an answer names an offered scheme");
    fuzz::Require(Base64Decode(answer->substr(blank + 1)).has_value(),
                  "an answer's token is Base64");
  }
  return 0;
}
