#include "win32/net/win_proxy_script.h"

#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "win32/platform/system32_library.h"
#include "win32/platform/wide.h"

namespace horalux::win32 {
namespace {

struct WinHttp {
  decltype(&WinHttpOpen) Open;
  decltype(&WinHttpGetProxyForUrl) GetProxyForUrl;
  decltype(&WinHttpCloseHandle) CloseHandle;
  // From Windows 8 on: a look-up that closing its resolver cancels. Null
  // where the system lacks them.
  decltype(&WinHttpSetStatusCallback) SetStatusCallback;
  decltype(&WinHttpCreateProxyResolver) CreateProxyResolver;
  decltype(&WinHttpGetProxyForUrlEx) GetProxyForUrlEx;
  decltype(&WinHttpGetProxyResult) GetProxyResult;
  decltype(&WinHttpFreeProxyResult) FreeProxyResult;
  bool cancellable() const {
    return SetStatusCallback && CreateProxyResolver && GetProxyForUrlEx && GetProxyResult &&
           FreeProxyResult;
  }
};

const WinHttp* LoadWinHttp() {
  static const WinHttp* const loaded = []() -> const WinHttp* {
    System32Library library(L"winhttp.dll");
    static WinHttp api;
    if (!library.Resolve("WinHttpOpen", api.Open) ||
        !library.Resolve("WinHttpGetProxyForUrl", api.GetProxyForUrl) ||
        !library.Resolve("WinHttpCloseHandle", api.CloseHandle))
      return nullptr;
    library.Resolve("WinHttpSetStatusCallback", api.SetStatusCallback);
    library.Resolve("WinHttpCreateProxyResolver", api.CreateProxyResolver);
    library.Resolve("WinHttpGetProxyForUrlEx", api.GetProxyForUrlEx);
    library.Resolve("WinHttpGetProxyResult", api.GetProxyResult);
    library.Resolve("WinHttpFreeProxyResult", api.FreeProxyResult);
    library.Keep();  // an abandoned look-up may still be running
    return &api;
  }();
  return loaded;
}

// The answer of one look-up; whoever finishes it and whoever waits for it
// both hold it, so a late finisher writes only into memory of its own.
struct Shared {
  std::wstring script_url;
  std::wstring url;
  WINHTTP_AUTOPROXY_OPTIONS options{};
  std::optional<std::string> answer;
  std::atomic<bool> done{false};
  // A handle once closed may not be used from any thread
  // (WinHttpCloseHandle): every call on these is made under the lock, and
  // only while they are not closed.
  std::mutex lock;
  bool closed = false;
  HINTERNET session = nullptr;
  HINTERNET resolver = nullptr;
  void Finish(std::optional<std::string> result) {
    answer = std::move(result);
    done.store(true, std::memory_order_release);
  }
};

// One look-up under way, shared by every caller that asks the same script
// about the same URL meanwhile. When the last of them gives up, closing the
// resolver cancels what is left of it.
struct Operation {
  const WinHttp& api;
  std::shared_ptr<Shared> shared = std::make_shared<Shared>();
  explicit Operation(const WinHttp& a) : api(a) {}
  ~Operation() {
    HINTERNET session = nullptr;
    HINTERNET resolver = nullptr;
    {
      const std::lock_guard hold(shared->lock);
      shared->closed = true;
      session = std::exchange(shared->session, nullptr);
      resolver = std::exchange(shared->resolver, nullptr);
    }
    // Outside the lock: the cancelled look-up may report on this very thread.
    if (resolver) api.CloseHandle(resolver);
    if (session) api.CloseHandle(session);
  }
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;
};

std::string ProxyList(const WINHTTP_PROXY_RESULT& result) {
  std::string list;
  for (DWORD i = 0; i < result.cEntries; ++i) {
    const WINHTTP_PROXY_RESULT_ENTRY& e = result.pEntries[i];
    if (!list.empty()) list += ";";
    if (!e.fProxy || !e.pwszProxy) {
      list += "DIRECT";
      continue;
    }
    // Only an HTTP proxy can carry the request; others are named by kind so
    // that they are passed over.
    if (e.ProxyScheme != INTERNET_SCHEME_HTTP) list += "OTHER ";
    list += Narrow(e.pwszProxy) + ":" + std::to_string(e.ProxyPort);
  }
  return list;
}

// Runs on a WinHTTP thread; the context is a heap reference to the answer,
// released by the one callback that ends the look-up.
void CALLBACK OnResolverEvent(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD) {
  auto* shared = reinterpret_cast<std::shared_ptr<Shared>*>(context);
  if (!shared) return;
  if (status != WINHTTP_CALLBACK_STATUS_GETPROXYFORURL_COMPLETE &&
      status != WINHTTP_CALLBACK_STATUS_REQUEST_ERROR)
    return;
  const WinHttp& api = *LoadWinHttp();
  Shared& s = **shared;
  std::optional<std::string> answer;
  HINTERNET spent = nullptr;
  bool retried = false;
  {
    const std::lock_guard hold(s.lock);
    if (s.closed) {
      // Given up: the handles are gone, and nobody waits for an answer.
    } else if (status == WINHTTP_CALLBACK_STATUS_GETPROXYFORURL_COMPLETE) {
      WINHTTP_PROXY_RESULT result{};
      if (api.GetProxyResult(s.resolver, &result) == ERROR_SUCCESS) {
        answer = ProxyList(result);
        api.FreeProxyResult(&result);
      }
    } else if (const auto* error = static_cast<const WINHTTP_ASYNC_RESULT*>(info);
               error && error->dwError == ERROR_WINHTTP_LOGIN_FAILURE &&
               !s.options.fAutoLogonIfChallenged) {
      // A script server that asks who we are gets the logged-on user, as the
      // documented second attempt does, on a resolver of its own: nothing
      // promises that one resolver takes a second look-up.
      s.options.fAutoLogonIfChallenged = TRUE;
      spent = std::exchange(s.resolver, nullptr);
      if (api.CreateProxyResolver(s.session, &s.resolver) != ERROR_SUCCESS)
        s.resolver = nullptr;
      else
        retried = api.GetProxyForUrlEx(s.resolver, s.url.c_str(), &s.options, context) ==
                  ERROR_IO_PENDING;
    }
  }
  // The spent resolver has nothing left to report; closed outside the lock
  // all the same, as any close is.
  if (spent) api.CloseHandle(spent);
  if (retried) return;
  s.Finish(std::move(answer));
  delete shared;
}

enum class Started { Yes, No, NotHere };

// Starts the cancellable look-up. NotHere where the system has the calls but
// no service behind them (Wine's resolver is such a stub).
Started StartCancellable(Operation& op) {
  const WinHttp& api = op.api;
  Shared& s = *op.shared;
  // Held until the look-up is asked, so that its callback finds the handles
  // in place; the operation's end closes whatever was made.
  const std::lock_guard hold(s.lock);
  s.session = api.Open(L"Horalux", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                       WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
  if (!s.session) return Started::No;
  // The callback goes on the session before the resolver is made from it.
  if (api.SetStatusCallback(
          s.session, OnResolverEvent,
          WINHTTP_CALLBACK_FLAG_REQUEST_ERROR | WINHTTP_CALLBACK_FLAG_GETPROXYFORURL_COMPLETE,
          0) == WINHTTP_INVALID_STATUS_CALLBACK)
    return Started::No;
  // Its documented failures all concern the session, which is sound here.
  if (api.CreateProxyResolver(s.session, &s.resolver) != ERROR_SUCCESS) {
    s.resolver = nullptr;
    return Started::NotHere;
  }
  auto* context = new std::shared_ptr<Shared>(op.shared);
  const DWORD asked = api.GetProxyForUrlEx(s.resolver, s.url.c_str(), &s.options,
                                           reinterpret_cast<DWORD_PTR>(context));
  if (asked == ERROR_IO_PENDING) return Started::Yes;
  delete context;
  // This call runs in the system's proxy service only; with that service
  // stopped the blocking call still runs the script in this process
  // (WinHttpGetProxyForUrlEx, WINHTTP_AUTOPROXY_OPTIONS).
  return asked == ERROR_WINHTTP_AUTO_PROXY_SERVICE_ERROR ? Started::NotHere : Started::No;
}

// Where only the blocking call exists: on a thread of its own, which keeps
// the operation (and so its place for callers to join) until it ends.
std::optional<std::string> AskBlocking(const WinHttp& api, Shared& job) {
  HINTERNET session = api.Open(L"Horalux", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0);
  if (!session) return std::nullopt;
  WINHTTP_PROXY_INFO info{};
  BOOL ok = api.GetProxyForUrl(session, job.url.c_str(), &job.options, &info);
  if (!ok && GetLastError() == ERROR_WINHTTP_LOGIN_FAILURE) {
    job.options.fAutoLogonIfChallenged = TRUE;
    ok = api.GetProxyForUrl(session, job.url.c_str(), &job.options, &info);
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

bool StartBlocking(const std::shared_ptr<Operation>& op) {
  try {
    std::thread([op] { op->shared->Finish(AskBlocking(op->api, *op->shared)); }).detach();
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

class WinLookup : public ProxyScript::Lookup {
 public:
  explicit WinLookup(std::shared_ptr<Operation> op) : op_(std::move(op)) {}
  bool finished() override { return op_->shared->done.load(std::memory_order_acquire); }
  std::optional<std::string> answer() override {
    return finished() ? op_->shared->answer : std::nullopt;
  }

 private:
  std::shared_ptr<Operation> op_;
};

// Look-ups under way by script and URL, so that a caller asking again
// while one runs joins it instead of starting another.
std::mutex running_lock;
std::map<std::pair<std::wstring, std::wstring>, std::weak_ptr<Operation>> running;

}  // namespace

std::unique_ptr<ProxyScript::Lookup> WinProxyScript::start(const std::string& script_url,
                                                           const std::string& url) {
  const WinHttp* api = LoadWinHttp();
  if (!api) return nullptr;
  const std::pair key{Widen(script_url), Widen(url)};
  const std::lock_guard lock(running_lock);
  std::erase_if(running, [](const auto& entry) {
    const auto op = entry.second.lock();
    return !op || op->shared->done.load(std::memory_order_acquire);
  });
  if (const auto it = running.find(key); it != running.end())
    if (auto op = it->second.lock()) return std::make_unique<WinLookup>(std::move(op));

  const auto make = [&] {
    auto op = std::make_shared<Operation>(*api);
    Shared& s = *op->shared;
    std::tie(s.script_url, s.url) = key;
    s.options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    s.options.lpszAutoConfigUrl = s.script_url.c_str();
    return op;
  };
  auto op = make();
  const Started started = api->cancellable() ? StartCancellable(*op) : Started::NotHere;
  if (started == Started::NotHere) {
    op = make();
    if (!StartBlocking(op)) return nullptr;
  } else if (started == Started::No) {
    return nullptr;
  }
  running[key] = op;
  return std::make_unique<WinLookup>(std::move(op));
}

}  // namespace horalux::win32
