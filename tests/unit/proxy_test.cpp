#include <gtest/gtest.h>

#include <cstdio>

#include "core/net/find_next.h"
#include "core/net/proxy.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_proxy_script.h"
#include "tests/fakes/fake_pump.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_ui.h"

namespace horalux {
namespace {

using fakes::FakeRegistry;
using fakes::IconvCodec;
using Type = RegistryValue::Type;

RegistryValue Binary(std::vector<std::uint8_t> bytes) {
  return {Type::Binary, bytes, 0, ""};
}
RegistryValue Dword(std::uint32_t v) {
  return {Type::Integer, {}, v, ""};
}
RegistryValue Text(const std::string& s) {
  return {Type::String, {}, 0, s};
}

struct ProxyCase {
  RegistryValue enable;
  RegistryValue server;
  bool in_use;
  std::string address;
  int port;
};

TEST(GetProxy, ReadsTheInternetSettings) {
  const RegistryValue on = Binary({1, 0, 0, 0});
  const RegistryValue none{};
  const ProxyCase cases[] = {
      {on, Text("p:8080"), true, "p", 8080},
      {Dword(1), Text("p:8080"), true, "p", 8080},
      {Binary({1}), Text("p:8080"), true, "p", 8080},
      {on, Text("ftp=f:21;http=h:3128;https=s:443"), true, "h", 3128},
      {on, Text("HTTP=h:3128"), true, "h", 3128},
      {on, Text("http=h:3128"), true, "h", 3128},
      {on, Text("http=h"), false, "", 0},
      {on, Text("h"), true, "h", 80},
      {on, Text("h:  "), true, "h", 80},
      {on, Text("h: 81"), true, "h", 81},
      {on, Text("h:82:90"), true, "h", 82},
      {on, none, true, "", 80},
      {Binary({0, 0, 0, 0}), Text("p:8080"), false, "", 0},
      {Dword(0), Text("p:8080"), false, "", 0},
      {Dword(257), Text("p:8080"), false, "", 0},
      {none, Text("p:8080"), false, "", 0},
      // The http entry ends at its ";": the next entry's port is not its own.
      {on, Text("http=h;https=s:443"), false, "", 0},
      // A protocol list without an http entry names no proxy for HTTP.
      {on, Text("https=s:443;ftp=f:21"), false, "", 0},
      // A scheme before the host is not part of it.
      {on, Text("http://p:8080"), true, "p", 8080},
      {on, Text("http=http://p:3128"), true, "p", 3128},
      // Ports no socket can use.
      {on, Text("p:0"), false, "", 0},
      {on, Text("p:65536"), false, "", 0},
      {on, Text("p:-80"), false, "", 0},
      // Ports that are not a number: no proxy, as without one.
      {on, Text("p:8o80"), false, "", 0},
      {on, Text("p:80x"), false, "", 0},
      {on, Text("p:x"), false, "", 0},
      {on, Text("p:99999999999"), false, "", 0},
      {on, Text("プロキシ:8080"), true, "プロキシ", 8080},
  };
  IconvCodec codec;
  for (const ProxyCase& c : cases) {
    FakeRegistry registry;
    if (c.enable.type != Type::Missing) registry.Set(kInternetSettingsKey, "ProxyEnable", c.enable);
    if (c.server.type != Type::Missing) registry.Set(kInternetSettingsKey, "ProxyServer", c.server);
    TProxy proxy;
    proxy.InUse = !c.in_use;
    GetProxy(registry, codec, proxy);
    SCOPED_TRACE(c.server.text);
    EXPECT_EQ(proxy.InUse, c.in_use);
    if (c.in_use) {
      EXPECT_EQ(proxy.Address, c.address);
      EXPECT_EQ(proxy.Port, c.port);
    }
  }
}

TEST(GetProxy, UnreadableValuesAreErrors) {
  IconvCodec codec;
  struct {
    RegistryValue enable;
    RegistryValue server;
  } cases[] = {
      {Binary({1, 0, 0, 0, 0}), Text("p:80")},
      {Text("1"), Text("p:80")},
      {Binary({1}), Binary({'p'})},
  };
  for (const auto& c : cases) {
    FakeRegistry registry;
    registry.Set(kInternetSettingsKey, "ProxyEnable", c.enable);
    registry.Set(kInternetSettingsKey, "ProxyServer", c.server);
    TProxy proxy;
    EXPECT_THROW(GetProxy(registry, codec, proxy), ERegistryError);
  }
}

// The script's first proxy or DIRECT decides; without a script, an answer in
// time or anything usable in it, the fixed proxy f:8 does.
TEST(GetProxyForUrl, AsksTheScriptThenTheFixedProxy) {
  const struct {
    const char* script;
    std::optional<std::string> answer;
    std::uint32_t delay_ms;
    const char* expect;  // "" for no proxy
  } cases[] = {
      {"http://s/p.pac", "PROXY a:1; DIRECT", 0, "a:1"},
      {"http://s/p.pac", "a:1; b:2", 0, "a:1"},
      {"http://s/p.pac", " direct ;a:1", 0, ""},
      {"http://s/p.pac", "", 0, "f:8"},
      {"http://s/p.pac", std::nullopt, 0, "f:8"},
      {"http://s/p.pac", "a:1", 4990, "a:1"},
      {"http://s/p.pac", "a:1", 5002, "f:8"},
      {"", "a:1", 0, "f:8"},
  };
  IconvCodec codec;
  for (const auto& c : cases) {
    FakeRegistry registry;
    registry.Set(kInternetSettingsKey, "ProxyEnable", Dword(1));
    registry.Set(kInternetSettingsKey, "ProxyServer", Text("f:8"));
    registry.Set(kInternetSettingsKey, "AutoConfigURL", Text(c.script));
    fakes::FakeClock clock;
    fakes::FakePump pump;
    fakes::FakeProxyScript script(clock);
    std::tie(script.answer, script.delay_ms) = std::tuple(c.answer, c.delay_ms);
    const TProxy p = GetProxyForUrl({registry, codec, script, clock, pump}, "http://t/jst.cgi");
    EXPECT_EQ(p.InUse ? p.Address + ":" + std::to_string(p.Port) : "", c.expect) << c.delay_ms;
    // The window keeps its events while the script is awaited.
    EXPECT_EQ(pump.passes > 0, c.delay_ms > 0);
  }
}

// The browser's bypass list sends a page past the fixed proxy f:8; a proxy
// script's answer stands as it is.
TEST(GetProxyForUrl, BypassListSendsListedHostsDirect) {
  const struct {
    const char* list;
    const char* url;
    const char* expect;  // "" for direct
    const char* script_answer = nullptr;
  } cases[] = {
      {"<local>", "http://intranet/t", ""},
      {"<local>", "http://jjy.nict.go.jp/t", "f:8"},
      {"<local>; *.go.jp", "http://jjy.nict.go.jp/t", ""},
      {"*.corp.example", "http://a.b.corp.example/", ""},
      {"t.example:8080", "http://t.example:8080/", ""},
      {"t.example:8080", "http://t.example/", "f:8"},
      {"t.example", "http://www.t.example/", "f:8"},
      {"*.CORP.Example", "http://A.corp.EXAMPLE/", ""},
      {"https://*.corp.example", "http://a.corp.example/", "f:8"},
      {"", "http://localhost/", ""},
      {"", "http://127.0.0.1:81/", ""},
      {"<-loopback>", "http://localhost/", "f:8"},
      {"*.go.jp", "http://jjy.nict.go.jp/t", "a:1", "PROXY a:1"},
  };
  IconvCodec codec;
  std::printf("%-24s %-28s %s\n", "ProxyOverride", "page", "proxy");
  for (const auto& c : cases) {
    FakeRegistry registry;
    registry.Set(kInternetSettingsKey, "ProxyEnable", Dword(1));
    registry.Set(kInternetSettingsKey, "ProxyServer", Text("f:8"));
    registry.Set(kInternetSettingsKey, "ProxyOverride", Text(c.list));
    fakes::FakeClock clock;
    fakes::FakePump pump;
    fakes::FakeProxyScript script(clock);
    if (c.script_answer) {
      registry.Set(kInternetSettingsKey, "AutoConfigURL", Text("http://s/p.pac"));
      script.answer = c.script_answer;
    }
    const TProxy p = GetProxyForUrl({registry, codec, script, clock, pump}, c.url);
    const std::string got = p.InUse ? p.Address + ":" + std::to_string(p.Port) : "";
    std::printf("%-24s %-28s %s\n", *c.list ? c.list : "(empty)", c.url,
                got.empty() ? "direct" : got.c_str());
    EXPECT_EQ(got, c.expect) << c.url;
  }
}

TEST(FindNext, MatchesWholeCharactersWithoutRegardToCase) {
  // "ア" in code page 932 is 0x83 0x41: its trail byte is an "A".
  const std::string katakana_a = "\x83\x41";
  struct {
    std::string text, pattern;
    FindPosition from;
    bool found;
    std::size_t pos;
  } cases[] = {
      {"xHTTP=y", "http=", {}, true, 1}, {"a;b;c", ";", {1, 1}, true, 3},
      {"a;b", ";", {1, 1}, false, 0},    {katakana_a + "A", "A", {}, true, 2},
      {katakana_a, "A", {}, false, 0},   {"x" + katakana_a, katakana_a, {}, true, 1},
      {"", "a", {}, false, 0},           {"a", "", {}, false, 0},
      {"ab", "abc", {}, false, 0},       {"\x83", "\x83", {}, true, 0},
  };
  for (const auto& c : cases) {
    FindPosition at = c.from;
    EXPECT_EQ(FindNext(c.text, c.pattern, at), c.found) << c.text;
    if (c.found) {
      EXPECT_EQ(at.pos, c.pos) << c.text;
    }
  }
}

}  // namespace
}  // namespace horalux
