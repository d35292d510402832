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

// A portable program copy with the given [Jikoku] lines, started from a
// working folder (where it writes "Head.txt") that lets it run beside
// another test's copy.
class HttpCopy {
 public:
  explicit HttpCopy(std::string_view jikoku);
  Process Start(const std::vector<std::string>& args = {}) const;
  Window StartWindow(Process& app) const;
  const std::filesystem::path& work_dir() const { return dir_.path(); }
  std::optional<std::string> Log() const { return ReadCp932File(prog_ / L"Jikoku.txt"); }
  std::optional<std::string> HeaderCopy() const { return ReadFileBytes(dir_ / "Head.txt"); }
  std::optional<std::string> Settings() const { return ReadFileBytes(prog_ / L"Horalux.ini"); }

 private:
  ScratchDir dir_;
  std::filesystem::path prog_, exe_;
};

// tinyproxy on 127.0.0.1 sending every request on to a responder of its own
// on 127.0.0.1; ended by its pid when the object goes.
class ProxiedResponder {
 public:
  ProxiedResponder();
  ~ProxiedResponder();
  ProxiedResponder(const ProxiedResponder&) = delete;
  ProxiedResponder& operator=(const ProxiedResponder&) = delete;
  tools::HttpResponder& responder() { return responder_; }
  std::uint16_t proxy_port() const { return proxy_port_; }
  std::string proxy_server() const { return "127.0.0.1:" + std::to_string(proxy_port_); }

 private:
  tools::HttpResponder responder_;
  ScratchDir dir_{"tinyproxy"};
  std::uint16_t proxy_port_ = 0;
  std::string pid_;
};

// ProxyEnable and ProxyServer of the user's internet settings, set for one
// test and put back as they were (or removed) when the object goes.
class InternetSettingsProxy {
 public:
  explicit InternetSettingsProxy(const std::string& server);
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
  Saved saved_[2] = {{L"ProxyEnable", false, 0, {}}, {L"ProxyServer", false, 0, {}}};
};

}  // namespace horalux::e2e
