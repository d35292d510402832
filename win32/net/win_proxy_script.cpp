#include "win32/net/win_proxy_script.h"

#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <system_error>
#include <thread>
#include <utility>

#include "win32/platform/wide.h"

namespace horalux::win32 {
namespace {

struct WinHttp {
  decltype(&WinHttpOpen) Open;
  decltype(&WinHttpGetProxyForUrl) GetProxyForUrl;
  decltype(&WinHttpCloseHandle) CloseHandle;
};

template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn& fn) {
  fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  return fn != nullptr;
}

// Not a known DLL: only the system folder's copy, never one beside the program.
const WinHttp* LoadWinHttp() {
  static const WinHttp* const loaded = []() -> const WinHttp* {
    HMODULE module = LoadLibraryExW(L"winhttp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return nullptr;
    static WinHttp api;
    if (!Resolve(module, "WinHttpOpen", api.Open) ||
        !Resolve(module, "WinHttpGetProxyForUrl", api.GetProxyForUrl) ||
        !Resolve(module, "WinHttpCloseHandle", api.CloseHandle)) {
      FreeLibrary(module);
      return nullptr;
    }
    return &api;  // stays loaded: an abandoned look-up may still be running
  }();
  return loaded;
}

// What a look-up's thread and its caller share; the thread holds it until it
// ends, so an abandoned look-up writes only into memory of its own.
struct Shared {
  std::wstring script_url;
  std::wstring url;
  std::optional<std::string> answer;
  std::atomic<bool> done{false};
};

std::optional<std::string> Ask(const WinHttp& api, const Shared& job) {
  HINTERNET session = api.Open(L"Horalux", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0);
  if (!session) return std::nullopt;
  WINHTTP_AUTOPROXY_OPTIONS options{};
  options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
  options.lpszAutoConfigUrl = job.script_url.c_str();
  WINHTTP_PROXY_INFO info{};
  BOOL ok = api.GetProxyForUrl(session, job.url.c_str(), &options, &info);
  // A script server that asks who we are gets the logged-on user, as the
  // documented second attempt does.
  if (!ok && GetLastError() == ERROR_WINHTTP_LOGIN_FAILURE) {
    options.fAutoLogonIfChallenged = TRUE;
    ok = api.GetProxyForUrl(session, job.url.c_str(), &options, &info);
  }
  std::optional<std::string> answer;
  if (ok) {
    if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && info.lpszProxy)
      answer = Narrow(info.lpszProxy);
    else if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NO_PROXY)
      answer = "DIRECT";
  }
  if (info.lpszProxy) GlobalFree(info.lpszProxy);
  if (info.lpszProxyBypass) GlobalFree(info.lpszProxyBypass);
  api.CloseHandle(session);
  return answer;
}

class WinLookup : public ProxyScript::Lookup {
 public:
  explicit WinLookup(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
  bool finished() override { return shared_->done.load(std::memory_order_acquire); }
  std::optional<std::string> answer() override {
    return finished() ? shared_->answer : std::nullopt;
  }

 private:
  std::shared_ptr<Shared> shared_;
};

}  // namespace

std::unique_ptr<ProxyScript::Lookup> WinProxyScript::start(const std::string& script_url,
                                                           const std::string& url) {
  const WinHttp* api = LoadWinHttp();
  if (!api) return nullptr;
  auto shared = std::make_shared<Shared>();
  shared->script_url = Widen(script_url);
  shared->url = Widen(url);
  try {
    std::thread([api, shared] {
      shared->answer = Ask(*api, *shared);
      shared->done.store(true, std::memory_order_release);
    }).detach();
  } catch (const std::system_error&) {
    return nullptr;
  }
  return std::make_unique<WinLookup>(std::move(shared));
}

}  // namespace horalux::win32
