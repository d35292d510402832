#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/net/http_client.h"
#include "core/net/proxy_auth.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_proxy_auth.h"
#include "tests/fakes/fake_tcp.h"
#include "tests/fakes/http_get_error.h"
#include "tests/fakes/memory_files.h"

namespace horalux {
namespace {

constexpr char kTarget[] = "Horalux proxy proxy.lan:3128";
const std::string kAskBasic =
    "HTTP/1.0 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"lan\"\r\n"
    "Content-Length: 6\r\n\r\ndenied";
const std::string kOk = "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\npage";

struct Rig {
  fakes::FakeClock clock;
  fakes::FakeTcpNetwork network{clock};
  fakes::ClockedPump pump{clock, network};
  fakes::MemoryFiles files;
  fakes::FakeProxyAuth ports;
  ProxyAuthenticator auth{ports.ports()};
  THttpClient client{network, pump, clock, files};
  explicit Rig(bool connection_test = true) {
    network.hosts["www.example.jp"] = Ipv4Address{{127, 0, 0, 71}};
    network.hosts["proxy.lan"] = Ipv4Address{{127, 0, 0, 9}};
    client.Proxy = "proxy.lan";
    client.ProxyPort = 3128;
    client.Authorizer = &auth;
    auth.Prepare(connection_test);
  }
  // Replies on one connection that stays open, one per request.
  void KeptConnection(std::vector<std::string> replies) {
    network.later_replies[network.replies.size()].assign(replies.begin() + 1, replies.end());
    network.replies.push_back({replies[0], false});
  }
  std::string Get() { return fakes::GetError(client, "http://www.example.jp/x"); }
};

// Negotiate or NTLM authenticates the connection: every step goes over the
// first one. A scheme the system lacks leaves Basic to answer.
TEST(ProxyAuthentication, SecurityStepsRunOnOneConnectionWithTheUsersOwnCredentials) {
  const struct {
    std::vector<std::string> packages, offered;
    std::string scheme;  // the one that answers
  } rows[] = {
      {{"Negotiate", "NTLM"}, {"Negotiate", "Basic realm=\"lan\""}, "Negotiate"},
      {{"Negotiate", "NTLM"}, {"NTLM"}, "NTLM"},
      {{}, {"Negotiate", "Basic realm=\"lan\""}, "Basic"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.scheme);
    Rig rig;
    rig.ports.sspi.packages = row.packages;
    rig.ports.store.stored[kTarget] = {"user", "secret"};
    std::string denied = "HTTP/1.0 407 Denied\r\n";
    for (const std::string& o : row.offered) denied += "Proxy-Authenticate: " + o + "\r\n";
    const bool basic = row.scheme == "Basic";
    std::vector<std::string> replies{denied + "Content-Length: 6\r\n\r\ndenied"};
    if (!basic)
      replies.push_back("HTTP/1.0 407 Go on\r\nProxy-Authenticate: " + row.scheme +
                        " Y2hhbGxlbmdl\r\nContent-Length: 0\r\n\r\n");
    replies.push_back(kOk);
    rig.KeptConnection(replies);
    EXPECT_EQ(rig.Get(), "");
    EXPECT_EQ(rig.client.Status(), 200);
    ASSERT_EQ(rig.network.connected_to, std::vector<std::string>{"127.0.0.9:3128"});
    const std::string& sent = rig.network.requests[0];
    EXPECT_NE(sent.find("\r\n\r\nGET http://www.example.jp/x HTTP/1.0\r\nProxy-Connection: "
                        "Keep-Alive\r\nProxy-Authorization: " +
                        row.scheme + (basic ? " dXNlcjpzZWNyZXQ=\r\n" : " dG9rZW4x\r\n")),
              std::string::npos)
        << sent;
    if (!basic) {
      EXPECT_NE(sent.find("Proxy-Authorization: " + row.scheme + " dG9rZW4y\r\n"),
                std::string::npos)
          << sent;
      EXPECT_EQ(sent.find("Basic"), std::string::npos) << sent;
    }
    EXPECT_EQ(rig.ports.sspi.started,
              std::vector<std::string>{row.offered[0].substr(0, 9) + " HTTP/proxy.lan"});
    const std::vector<std::string> received =
        basic ? std::vector<std::string>{} : std::vector<std::string>{"", "challenge"};
    EXPECT_EQ(rig.ports.sspi.received, received);
  }
}

// Each row: what is stored, what the user does, and what the proxy does
// with the credential.
TEST(ProxyAuthentication, BasicUsesTheStoredOrTypedPasswordAndForgetsARefusedOne) {
  const std::vector<std::string> refused{kAskBasic, kAskBasic}, accepted{kAskBasic, kOk};
  // A 407 without a length: the proxy closes after it.
  const std::vector<std::string> closes{kAskBasic.substr(0, kAskBasic.find("Content")) + "\r\nno"};
  const CredentialsAnswer typed{{"ユーザ", "パス"}, true};
  struct Row {
    const char* name;
    bool stored, connection_test;
    std::optional<CredentialsAnswer> typed;
    bool store_refuses;
    std::vector<std::string> kept;  // on the first connection
    const char* authorization;      // sent, or nothing
    int status, connections;
    bool stored_after, asked;
  } rows[] = {
      {"stored", true, false, {}, false, accepted, "Basic dXNlcjpwYTpzcw==", 200, 1, true, false},
      {"closes", true, false, {}, false, closes, "Basic dXNlcjpwYTpzcw==", 200, 2, true, false},
      {"stored refused in a test", true, true, {}, false, refused, "Basic", 407, 1, false, false},
      {"stored refused resident", true, false, {}, false, refused, "Basic", 407, 1, true, false},
      {"typed and saved", false, true, typed, false, accepted,
       "Basic 44Om44O844K2OuODkeOCuQ==", 200, 1, true, true},
      {"typed, not saved", false, true, typed, true, accepted, "Basic 44Om", 200, 1, false, true},
      {"cancelled", false, true, {}, false, accepted, nullptr, 407, 1, false, true},
      {"resident never asks", false, false, typed, false, accepted, nullptr, 407, 1, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Rig rig(row.connection_test);
    if (row.stored) rig.ports.store.stored[kTarget] = {"user", "pa:ss"};
    rig.ports.prompt.answer = row.typed;
    rig.ports.store.refuse_writes = row.store_refuses;
    if (row.connections == 2)
      rig.network.replies.insert(rig.network.replies.end(), {{row.kept[0]}, {kOk}});
    else
      rig.KeptConnection(row.kept);
    EXPECT_EQ(rig.Get(), "");
    EXPECT_EQ(rig.client.Status(), row.status);
    EXPECT_EQ(rig.network.connected_to.size(), static_cast<std::size_t>(row.connections));
    std::string sent;
    for (const std::string& r : rig.network.requests) sent += r;
    if (row.authorization)
      EXPECT_NE(sent.find(std::string("\r\nProxy-Authorization: ") + row.authorization),
                std::string::npos)
          << sent;
    else
      EXPECT_EQ(sent.find("Authorization"), std::string::npos) << sent;
    EXPECT_EQ(rig.ports.store.stored.count(kTarget), row.stored_after ? 1u : 0u);
    EXPECT_EQ(rig.auth.SaveFailed(), row.store_refuses);
    EXPECT_EQ(rig.ports.prompt.asked.size(), row.asked ? 1u : 0u);
  }
}

// A web server that asks as a proxy would, and the page a redirect leads to,
// get nothing.
TEST(ProxyAuthentication, NoCredentialGoesToTheWebServerOrAfterARedirect) {
  for (bool direct : {true, false}) {
    SCOPED_TRACE(direct ? "direct" : "redirected");
    Rig rig;
    rig.ports.store.stored[kTarget] = {"user", "pa:ss"};
    rig.ports.store.stored["Horalux proxy :0"] = {"user", "pa:ss"};
    if (direct) {
      rig.client.Proxy.clear();
      rig.client.ProxyPort = 0;
    } else {
      rig.network.replies.push_back(
          {"HTTP/1.0 302 Found\r\nLocation: http://www.example.jp/y\r\n\r\n"});
    }
    rig.KeptConnection({kAskBasic, kOk});
    EXPECT_EQ(rig.Get(), "");
    EXPECT_EQ(rig.client.Status(), 407);
    for (const std::string& r : rig.network.requests)
      EXPECT_EQ(r.find("Authorization"), std::string::npos) << r;
  }
}

}  // namespace
}  // namespace horalux
