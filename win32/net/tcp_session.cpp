#include "win32/net/tcp_session.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <thread>

#include "win32/net/unique_socket.h"
#include "win32/net/winsock.h"
#include "win32/platform/wide.h"
#include "win32/platform/window_state.h"

namespace horalux {
namespace {

constexpr wchar_t kSessionClass[] = L"HoraluxTcpSession";
constexpr UINT kLookupMessage = WM_APP + 2;  // wParam: the look-up's number
// FD_WRITE too: a send refused with WSAEWOULDBLOCK learns only from it that
// it may go on (WSAEventSelect).
constexpr long kSocketEvents = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

// A look-up's answer, shared by the worker and the session (which may have
// forgotten it by the time the worker ends).
struct LookupSlot {
  std::mutex lock;
  int error = 0;
  Ipv4Address address;
};

void ResolveInto(const std::wstring& name, LookupSlot& slot) {
  ADDRINFOW hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  ADDRINFOW* answer = nullptr;
  int error = GetAddrInfoW(name.c_str(), nullptr, &hints, &answer);
  Ipv4Address address;
  if (error == 0) {
    error = WSAHOST_NOT_FOUND;
    for (ADDRINFOW* a = answer; a; a = a->ai_next) {
      if (a->ai_family != AF_INET || !a->ai_addr) continue;
      u_long host = ntohl(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
      address =
          Ipv4Address{{static_cast<std::uint8_t>(host >> 24), static_cast<std::uint8_t>(host >> 16),
                       static_cast<std::uint8_t>(host >> 8), static_cast<std::uint8_t>(host)}};
      error = 0;
      break;
    }
    FreeAddrInfoW(answer);
  }
  std::lock_guard<std::mutex> guard(slot.lock);
  slot.error = error;
  slot.address = address;
}

class WinTcpSession : public TcpSession {
 public:
  explicit WinTcpSession(WinPump& pump) : pump_(pump) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kSessionClass;
    RegisterClassW(&wc);  // fails harmlessly when a session registered it before
    window_ = CreateWindowExW(0, kSessionClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                              this);
    if (!window_) {
      open_error_ = static_cast<int>(GetLastError());
      return;
    }
    event_ = WSACreateEvent();
    if (event_ == WSA_INVALID_EVENT) {
      open_error_ = WSAGetLastError();
      return;
    }
    pump_.watch(event_, [this] { OnNetworkEvents(); });
    OpenSocket();
  }
  ~WinTcpSession() override {
    // The socket goes first, so that no notification of it can find its window gone.
    socket_.reset();
    if (event_ != WSA_INVALID_EVENT) {
      pump_.unwatch(event_);
      WSACloseEvent(event_);
    }
    if (window_) DestroyWindow(window_);
  }
  WinTcpSession(const WinTcpSession&) = delete;
  WinTcpSession& operator=(const WinTcpSession&) = delete;

  void set_listener(std::function<void(const TcpEvent&)> listener) override {
    listener_ = std::move(listener);
  }
  int open_error() const override { return open_error_; }

  void start_lookup(const std::string& host) override {
    auto slot = std::make_shared<LookupSlot>();
    lookup_ = slot;
    WPARAM number = ++lookup_number_;
    HWND window = window_;
    std::wstring name = win32::Widen(host);
    // The worker owns its copy of the slot; a forgotten look-up's message
    // finds another number and is dropped.
    std::thread([window, number, name, slot] {
      ResolveInto(name, *slot);
      PostMessageW(window, kLookupMessage, number, 0);
    }).detach();
  }

  void cancel_lookup() override {
    ++lookup_number_;
    lookup_.reset();
  }

  int start_connect(const Ipv4Address& address, std::uint16_t port) override {
    sockaddr_in sa = win32::ToSockaddr(address, port);
    if (connect(socket_.get(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == SOCKET_ERROR)
      return WSAGetLastError();
    return 0;
  }

  TcpIoResult send(const std::uint8_t* data, std::size_t size) override {
    int n =
        ::send(socket_.get(), reinterpret_cast<const char*>(data), win32::SocketLength(size), 0);
    if (n == SOCKET_ERROR) return {WSAGetLastError(), 0};
    return {0, n};
  }

  TcpIoResult peek(std::uint8_t* buffer, std::size_t size) override {
    return Receive(buffer, size, MSG_PEEK);
  }

  TcpIoResult receive(std::uint8_t* buffer, std::size_t size) override {
    return Receive(buffer, size, 0);
  }

  void close_abortive() override {
    cancel_lookup();
    socket_.reset_abortive();
    // What the closed socket recorded is stale for the fresh one.
    if (event_ != WSA_INVALID_EVENT) WSAResetEvent(event_);
    OpenSocket();
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = win32::WindowState<WinTcpSession>(hwnd, msg, lp);
    if (self && msg == kLookupMessage) {
      if (wp == self->lookup_number_ && self->lookup_) self->OnLookupDone();
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

  void OnNetworkEvents() {
    // Takes the socket's recorded events and resets the event object in one
    // step; a socket already closed has none left to report.
    WSANETWORKEVENTS recorded{};
    if (!socket_.valid() ||
        WSAEnumNetworkEvents(socket_.get(), event_, &recorded) == SOCKET_ERROR) {
      WSAResetEvent(event_);
      return;
    }
    // In the order a connection lives them; a listener may close the socket
    // in between, which leaves the rest of this record stale. Counted, not
    // compared by handle: a fresh socket may get the closed one's value.
    const unsigned opened = sockets_opened_;
    const struct {
      long bit;
      int index;
      TcpEvent::Kind kind;
    } kinds[] = {{FD_CONNECT, FD_CONNECT_BIT, TcpEvent::Kind::Connected},
                 {FD_READ, FD_READ_BIT, TcpEvent::Kind::Readable},
                 {FD_OOB, FD_OOB_BIT, TcpEvent::Kind::Readable},
                 {FD_ACCEPT, FD_ACCEPT_BIT, TcpEvent::Kind::Accepted},
                 {FD_CLOSE, FD_CLOSE_BIT, TcpEvent::Kind::Closed}};
    for (const auto& k : kinds) {
      if (!(recorded.lNetworkEvents & k.bit)) continue;
      if (sockets_opened_ != opened) return;
      Deliver({k.kind, recorded.iErrorCode[k.index], {}});
    }
  }

  void OnLookupDone() {
    TcpEvent event{TcpEvent::Kind::LookupDone, 0, {}};
    {
      std::lock_guard<std::mutex> guard(lookup_->lock);
      event.error = lookup_->error;
      event.address = lookup_->address;
    }
    lookup_.reset();
    Deliver(event);
  }

  void Deliver(const TcpEvent& event) {
    if (listener_) listener_(event);
  }

  TcpIoResult Receive(std::uint8_t* buffer, std::size_t size, int flags) {
    int n = recv(socket_.get(), reinterpret_cast<char*>(buffer), win32::SocketLength(size), flags);
    if (n == SOCKET_ERROR) return {WSAGetLastError(), 0};
    return {0, n};
  }

  void OpenSocket() {
    ++sockets_opened_;
    socket_.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket_.valid()) {
      open_error_ = WSAGetLastError();
      return;
    }
    // Also makes the socket non-blocking.
    if (WSAEventSelect(socket_.get(), event_, kSocketEvents) == SOCKET_ERROR) {
      open_error_ = WSAGetLastError();
      socket_.reset();
      return;
    }
    open_error_ = 0;
  }

  WinPump& pump_;
  HWND window_ = nullptr;
  WSAEVENT event_ = WSA_INVALID_EVENT;
  win32::UniqueSocket socket_;
  unsigned sockets_opened_ = 0;
  int open_error_ = 0;
  std::function<void(const TcpEvent&)> listener_;
  std::shared_ptr<LookupSlot> lookup_;
  WPARAM lookup_number_ = 0;
};

}  // namespace

int WinTcpNetwork::start() {
  return win32::StartWinsock();
}

void WinTcpNetwork::stop() {
  win32::StopWinsock();
}

std::unique_ptr<TcpSession> WinTcpNetwork::open_session() {
  return std::make_unique<WinTcpSession>(pump_);
}

}  // namespace horalux
