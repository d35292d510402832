#include "core/net/proxy.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "core/base/ascii_case.h"
#include "core/base/trim_blanks.h"
#include "core/net/find_next.h"
#include "core/net/http_request.h"
#include "core/net/id_exceptions.h"
#include "core/net/proxy_bypass.h"

namespace horalux {
namespace {

// "ProxyEnable" holds binary data whose first byte is the flag, or a 32-bit
// integer; either way 1 means on.
bool ProxyEnabled(const RegistryValue& value) {
  if (value.type == RegistryValue::Type::Binary && value.data.size() <= 4)
    return !value.data.empty() && value.data[0] == 1;
  if (value.type == RegistryValue::Type::Integer) return value.integer == 1;
  throw ERegistryError("レジストリの値[ProxyEnable]が読めません。");
}

// Port text after the address: blank means the HTTP port; leading blanks are
// allowed; anything else that is not a whole number gives 0, which no socket
// can use.
int PortOf(const std::string& text) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return 80;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  std::int64_t value = 0;
  const std::size_t digits = i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT32_MAX) break;
  }
  if (i == digits || i != text.size()) return 0;
  return static_cast<int>(negative ? -value : value);
}

// A proxy written with its scheme ("http://p:8080") names the host after it.
std::string WithoutScheme(const std::string& text) {
  const std::size_t scheme = text.find("://");
  return scheme == std::string::npos ? text : text.substr(scheme + 3);
}

// Address and port text of "ProxyServer" in code-page-932 form; false when
// the value names no proxy for HTTP.
bool SplitServer(const std::string& server, std::string& address, std::string& port) {
  FindPosition at;
  if (FindNext(server, "http=", at)) {
    // Only the http entry counts: the ":" and the port end at its ";".
    const std::size_t start = at.pos + at.len;
    FindPosition end = at;
    const std::size_t stop = FindNext(server, ";", end) ? end.pos : server.size();
    const std::string entry = WithoutScheme(server.substr(start, stop - start));
    FindPosition colon;
    if (!FindNext(entry, ":", colon)) return false;
    address = entry.substr(0, colon.pos);
    port = entry.substr(colon.pos + 1);
    return true;
  }
  // A list of protocol entries without one for http names no proxy for it.
  FindPosition equals;
  if (FindNext(server, "=", equals)) return false;
  const std::string value = WithoutScheme(server);
  FindPosition first;
  if (!FindNext(value, ":", first)) {
    address = value;
    port.clear();
    return true;
  }
  address = value.substr(0, first.pos);
  FindPosition second = first;
  const std::size_t stop = FindNext(value, ":", second) ? second.pos : value.size();
  port = value.substr(first.pos + 1, stop - first.pos - 1);
  return true;
}

constexpr std::uint32_t kScriptPollMs = 2;

// "host:port" of one entry; false when it names no usable proxy.
bool ParseProxyEntry(std::string_view entry, TProxy& proxy) {
  const std::string value = WithoutScheme(std::string(entry));
  const std::size_t colon = value.find(':');
  const std::string address = value.substr(0, colon);
  const int port = PortOf(colon == std::string::npos ? "" : value.substr(colon + 1));
  if (address.empty() || port < 1 || port > 65535) return false;
  proxy = {address, port, true};
  return true;
}

// The decision in a script's answer list ("PROXY a:1; DIRECT", "a:1; b:2",
// "DIRECT"): its first proxy or DIRECT entry, DIRECT giving InUse false;
// nullopt when it has neither, so that the fixed settings decide.
std::optional<TProxy> ProxyOfScriptAnswer(const std::string& list) {
  std::string_view rest = list;
  while (!rest.empty()) {
    const std::size_t end = rest.find(';');
    std::string_view entry = TrimBlanks(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    // A script writes "PROXY host:port"; the system's list has "host:port"
    // alone. Other kinds (SOCKS) are no HTTP proxy.
    const std::size_t blank = entry.find_first_of(" \t");
    if (blank != std::string_view::npos) {
      if (!SameIgnoringAsciiCase(entry.substr(0, blank), "PROXY")) continue;
      entry = TrimBlanks(entry.substr(blank));
    }
    if (SameIgnoringAsciiCase(entry, "DIRECT")) return TProxy{};
    TProxy proxy;
    if (ParseProxyEntry(entry, proxy)) return proxy;
  }
  return std::nullopt;
}

// The script's answer for `url`, or nullopt when none came in time.
std::optional<std::string> AskScript(const ProxyLookupPorts& ports, const std::string& script_url,
                                     const std::string& url) {
  const std::unique_ptr<ProxyScript::Lookup> lookup = ports.script.start(script_url, url);
  if (!lookup) return std::nullopt;
  const std::uint32_t started = ports.clock.tick_count();
  while (!lookup->finished()) {
    if (ports.clock.tick_count() - started >= kProxyScriptLimitMs || ports.pump.quitting())
      return std::nullopt;
    ports.clock.sleep(kScriptPollMs);
    ports.pump.process_messages();
  }
  return lookup->answer();
}

// Whether the browser's bypass list sends `url` past its fixed proxy. A URL
// that cannot be fetched at all is left to the fetch to report.
bool FixedProxyBypassed(Registry& registry, const std::string& url) {
  const RegistryValue list = registry.ReadUserValue(kInternetSettingsKey, "ProxyOverride");
  if (list.type != RegistryValue::Type::Missing && list.type != RegistryValue::Type::String)
    throw ERegistryError("レジストリの値[ProxyOverride]が読めません。");
  HttpTarget target;
  try {
    AnalyzeUrl(url, target);
  } catch (const EIdException&) {
    return false;
  }
  return BypassesProxy(list.text, target.host, target.port);
}

}  // namespace

TProxy GetProxyForUrl(const ProxyLookupPorts& ports, const std::string& url) {
  const RegistryValue script = ports.registry.ReadUserValue(kInternetSettingsKey, "AutoConfigURL");
  if (script.type == RegistryValue::Type::String && !script.text.empty() && !url.empty()) {
    if (const auto answer = AskScript(ports, script.text, url))
      if (const auto proxy = ProxyOfScriptAnswer(*answer)) return *proxy;
  }
  TProxy proxy;
  GetProxy(ports.registry, ports.codec, proxy);
  // The script, when it answers, has made its own exceptions.
  if (proxy.InUse && FixedProxyBypassed(ports.registry, url)) proxy = TProxy{};
  return proxy;
}

void GetProxy(Registry& registry, TextCodec& codec, TProxy& proxy) {
  proxy.InUse = false;
  const RegistryValue enable = registry.ReadUserValue(kInternetSettingsKey, "ProxyEnable");
  if (enable.type == RegistryValue::Type::Missing || !ProxyEnabled(enable)) return;

  const RegistryValue server = registry.ReadUserValue(kInternetSettingsKey, "ProxyServer");
  if (server.type != RegistryValue::Type::Missing && server.type != RegistryValue::Type::String)
    throw ERegistryError("レジストリの値[ProxyServer]が読めません。");
  std::string address;
  std::string port_text;
  if (!SplitServer(codec.to_ansi(server.text), address, port_text)) return;
  const int port = PortOf(port_text);
  // A port no socket can use would silently connect elsewhere; one that is
  // not a number would fail every cycle: neither is a usable proxy.
  if (port < 1 || port > 65535) return;
  proxy.Address = codec.from_ansi(address);
  proxy.Port = port;
  proxy.InUse = true;
}

}  // namespace horalux
