#pragma once
// What the end-to-end tests of the HTTP source share: a program copy with
// given settings, a real proxy (tinyproxy) in front of a scripted responder,
// and the user's internet settings, restored whatever happens.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/driver.h"
#include "tools/lib/http_responder.h"

namespace horalux::e2e {

// The Linux path Wine gives a Windows path.
std::string UnixPath(const std::filesystem::path& path);
// Starts a shell command on the Linux side without waiting for it (Wine
// starts Linux programs but gives no handle to them).
void RunShell(const std::string& command);
// `text` between single quotes, for the shell.
std::string Quoted(const std::string& text);

// A copy of a built program with the given [Jikoku] lines; it writes
// "Head.txt" into its settings folder, which is its own folder, and never
// into the working folder.
class HttpCopy : public ProgramCopy {
 public:
  explicit HttpCopy(std::string_view jikoku, std::string_view built = "Horalux.exe")
      : ProgramCopy("[Jikoku]\r\n" + std::string(jikoku), {.built = built}) {}
  std::optional<std::string> HeaderCopy() const { return ReadFileBytes(folder() / "Head.txt"); }
  bool HeaderCopyInWorkingFolder() const { return ReadFileBytes(dir() / "Head.txt").has_value(); }
};

// The real proxy in front of the responder: tinyproxy, or squid as a
// company proxy (tools/squid.sh).
struct ProxyOptions {
  bool squid = false;
  std::string squid_auth;        // "basic USER PASSWORD" or "ntlm"; empty: none
  bool web_server_down = false;  // squid has no web server to send requests to
};

// A proxy on 127.0.0.1 sending every request on to a responder of its own
// on 127.0.0.1; ended by its pid when the object goes.
class ProxiedResponder {
 public:
  explicit ProxiedResponder(const ProxyOptions& options = {});
  ~ProxiedResponder();
  ProxiedResponder(const ProxiedResponder&) = delete;
  ProxiedResponder& operator=(const ProxiedResponder&) = delete;
  tools::HttpResponder& responder() { return responder_; }
  std::uint16_t proxy_port() const { return proxy_port_; }
  std::string proxy_server() const { return "127.0.0.1:" + std::to_string(proxy_port_); }
  // What the proxy has logged so far: squid's access log, one line per
  // request, or tinyproxy's one log.
  std::string AccessLog() const;

 private:
  std::string script_;
  tools::HttpResponder responder_;
  ScratchDir dir_{"proxy"};
  std::uint16_t proxy_port_ = 0;
  std::string pid_;
};

// ProxyEnable, ProxyServer and AutoConfigURL of the user's internet settings, set for one
// test and put back as they were (or removed) when the object goes. With
// `enable_as_text`, ProxyEnable is the text "1", which the program cannot read.
// With a `script` address, ProxyEnable is 0: only that script names a proxy.
class InternetSettingsProxy {
 public:
  explicit InternetSettingsProxy(const std::string& server, bool enable_as_text = false,
                                 const std::string& script = "");
  ~InternetSettingsProxy();
  InternetSettingsProxy(const InternetSettingsProxy&) = delete;
  InternetSettingsProxy& operator=(const InternetSettingsProxy&) = delete;

 private:
  struct Saved {
    const wchar_t* name;
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };
  HKEY key_ = nullptr;
  Saved saved_[3] = {{L"ProxyEnable", false, 0, {}},
                     {L"ProxyServer", false, 0, {}},
                     {L"AutoConfigURL", false, 0, {}}};
};

}  // namespace horalux::e2e
