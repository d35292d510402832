#include "tests/e2e/http_rig.h"

#include <winsock2.h>

#include <stdexcept>

namespace horalux::e2e {
namespace fs = std::filesystem;

std::string UnixPath(const fs::path& path) {
  using Convert = char*(CDECL*)(LPCWSTR);
  auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix_path = convert ? convert(path.c_str()) : nullptr;
  if (!unix_path) throw DriverError("no Linux path for " + PathToUtf8(path));
  std::string text(unix_path);
  HeapFree(GetProcessHeap(), 0, unix_path);
  return text;
}

void RunShell(const std::string& command) {
  // The shell gets the test's standard handles as they are: it must let go
  // of them, or whoever reads the test's output waits for the proxy to end.
  std::wstring line =
      L"/bin/sh -c \"exec </dev/null >/dev/null 2>&1; PATH=/usr/sbin:/usr/bin:/bin; " +
      Widen(command) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi))
    throw DriverError("cannot start /bin/sh");
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
}

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

namespace {

std::string ToolScript(const char* name) {
  for (fs::path dir = BuildDir(); !dir.empty() && dir != dir.root_path(); dir = dir.parent_path())
    if (fs::exists(dir / "tools" / name)) return UnixPath(dir / "tools" / name);
  throw DriverError(std::string("tools/") + name + " not found above " + PathToUtf8(BuildDir()));
}

// A port nobody listens on at the moment. The socket layer stays started:
// Wine's last WSACleanup of a process closes sockets other code still uses.
std::uint16_t FreePort() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) throw DriverError("no socket layer");
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof a;
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
  closesocket(s);
  return ntohs(a.sin_port);
}

// The file's text once it ends with a line break.
std::string WaitLine(const fs::path& file, std::string_view what) {
  std::string text;
  WaitUntil(
      [&] {
        text = ReadFileBytes(file).value_or("");
        return text.ends_with("\n");
      },
      what, Millis(20000));
  return text.substr(0, text.size() - 1);
}

}  // namespace

// The responder's port is chosen here too: one that Wine picks for a socket
// that allows address reuse may still be taken by a closed one.
ProxiedResponder::ProxiedResponder(const ProxyOptions& options)
    : script_(ToolScript(options.squid ? "squid.sh" : "tinyproxy.sh")),
      responder_("127.0.0.1", FreePort()),
      proxy_port_(FreePort()) {
  const std::string dir = UnixPath(dir_.path());
  const std::uint16_t web = options.web_server_down ? 0 : responder_.port();
  RunShell(Quoted(script_) + " start " + std::to_string(proxy_port_) + " " + std::to_string(web) +
           " " + Quoted(dir) + " " + options.squid_auth + " >" + Quoted(dir + "/pid"));
  pid_ = WaitLine(dir_ / "pid", "the proxy's pid");
  if (pid_.empty()) throw DriverError("the proxy did not start");
}

ProxiedResponder::~ProxiedResponder() {
  const std::string dir = UnixPath(dir_.path());
  RunShell(Quoted(script_) + " stop " + pid_ + "; echo >" + Quoted(dir + "/stopped"));
  PollUntil([&] { return fs::exists(dir_ / "stopped"); }, Millis(10000));
}

std::string ProxiedResponder::AccessLog() const {
  if (auto squid = ReadFileBytes(dir_ / "access.log")) return *squid;
  return ReadFileBytes(dir_.path() / ("tinyproxy-" + std::to_string(proxy_port_) + ".log"))
      .value_or("");
}

InternetSettingsProxy::InternetSettingsProxy(const std::string& server, bool enable_as_text,
                                             const std::string& script) {
  if (RegCreateKeyExW(HKEY_CURRENT_USER,
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                      nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) != ERROR_SUCCESS)
    throw DriverError("cannot open the internet settings");
  for (Saved& v : saved_) {
    DWORD size = 0;
    if (RegQueryValueExW(key_, v.name, nullptr, &v.type, nullptr, &size) != ERROR_SUCCESS) continue;
    v.data.resize(size);
    v.present =
        RegQueryValueExW(key_, v.name, nullptr, &v.type, v.data.data(), &size) == ERROR_SUCCESS;
  }
  const BYTE enable[] = {script.empty() ? BYTE(1) : BYTE(0), 0, 0, 0};
  const wchar_t enable_text[] = L"1";
  const std::wstring text = Widen(server);
  if (enable_as_text)
    RegSetValueExW(key_, L"ProxyEnable", 0, REG_SZ, reinterpret_cast<const BYTE*>(enable_text),
                   sizeof enable_text);
  else
    RegSetValueExW(key_, L"ProxyEnable", 0, REG_BINARY, enable, sizeof enable);
  RegSetValueExW(key_, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  const std::wstring url = Widen(script);
  if (!script.empty())
    RegSetValueExW(key_, L"AutoConfigURL", 0, REG_SZ, reinterpret_cast<const BYTE*>(url.c_str()),
                   static_cast<DWORD>((url.size() + 1) * sizeof(wchar_t)));
}

InternetSettingsProxy::~InternetSettingsProxy() {
  for (const Saved& v : saved_) {
    if (v.present)
      RegSetValueExW(key_, v.name, 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
    else
      RegDeleteValueW(key_, v.name);
  }
  RegCloseKey(key_);
}

}  // namespace horalux::e2e
