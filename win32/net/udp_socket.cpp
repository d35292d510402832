#include "win32/net/udp_socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "win32/net/winsock.h"
#include "win32/platform/wide.h"

namespace horalux {
namespace {

using win32::FromInAddr;
using win32::ToSockaddr;

class WinUdpSocket : public UdpSocket {
 public:
  explicit WinUdpSocket(SOCKET s) : s_(s) {}
  ~WinUdpSocket() override { closesocket(s_); }
  WinUdpSocket(const WinUdpSocket&) = delete;
  WinUdpSocket& operator=(const WinUdpSocket&) = delete;

  int set_broadcast(bool enabled) override {
    BOOL value = enabled ? TRUE : FALSE;
    if (setsockopt(s_, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&value),
                   sizeof value) == SOCKET_ERROR)
      return WSAGetLastError();
    return 0;
  }

  int connect(const Ipv4Address& to, std::uint16_t port) override {
    sockaddr_in sa = ToSockaddr(to, port);
    if (::connect(s_, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == SOCKET_ERROR)
      return WSAGetLastError();
    return 0;
  }

  SendResult send(const std::uint8_t* data, std::size_t size) override {
    int sent = ::send(s_, reinterpret_cast<const char*>(data), win32::SocketLength(size), 0);
    if (sent == SOCKET_ERROR) return {WSAGetLastError(), 0};
    return {0, sent};
  }

  WaitResult wait_readable(int timeout_ms) override {
    if (timeout_ms == 0) return Look();
    // A blocking look at the next datagram, not select(): the receipt time
    // ends up in the fetched time, and under Wine select() and WSAPoll()
    // return up to 5 ms after the datagram came, a blocking receive within
    // a tenth of that.
    DWORD limit = timeout_ms < 0 ? 0 : static_cast<DWORD>(timeout_ms);
    if (setsockopt(s_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit),
                   sizeof limit) == SOCKET_ERROR)
      return WaitResult::Failed;
    char first;
    if (recv(s_, &first, 1, MSG_PEEK) != SOCKET_ERROR) return WaitResult::Readable;
    const int error = WSAGetLastError();
    if (error == WSAETIMEDOUT) return WaitResult::TimedOut;
    // An error (a refusal among them) may be reported to this look and not
    // again: receive() gives it, as it gave what select() woke up for.
    if (error != WSAEMSGSIZE) pending_error_ = error;
    return WaitResult::Readable;
  }

  ReceiveResult receive(std::uint8_t* buffer, std::size_t size) override {
    if (pending_error_ != 0) {
      ReceiveResult r;
      r.error = pending_error_;
      pending_error_ = 0;
      return r;
    }
    sockaddr_in from{};
    int from_len = sizeof from;
    int n = recvfrom(s_, reinterpret_cast<char*>(buffer), win32::SocketLength(size), 0,
                     reinterpret_cast<sockaddr*>(&from), &from_len);
    ReceiveResult r;
    if (n == SOCKET_ERROR) {
      r.error = WSAGetLastError();
      // A datagram cut to the buffer still fills it.
      if (r.error == WSAEMSGSIZE) r.bytes = win32::SocketLength(size);
    } else {
      r.bytes = n;
    }
    r.from = FromInAddr(from.sin_addr);
    r.from_port = ntohs(from.sin_port);
    return r;
  }

  void shutdown_send() override { shutdown(s_, SD_SEND); }

 private:
  WaitResult Look() {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s_, &readable);
    timeval none{0, 0};
    int n = select(0, &readable, nullptr, nullptr, &none);
    if (n == SOCKET_ERROR) return WaitResult::Failed;
    return n > 0 ? WaitResult::Readable : WaitResult::TimedOut;
  }

  SOCKET s_;
  int pending_error_ = 0;
};

}  // namespace

int WinUdpNetwork::start() {
  return win32::StartWinsock();
}

void WinUdpNetwork::stop() {
  win32::StopWinsock();
}

ResolveResult WinUdpNetwork::resolve_ipv4(const std::string& host) {
  ADDRINFOW hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  ADDRINFOW* answer = nullptr;
  std::wstring name = win32::Widen(host);
  int error = GetAddrInfoW(name.c_str(), nullptr, &hints, &answer);
  if (error != 0) return {error, {}};
  ResolveResult r{WSAHOST_NOT_FOUND, {}};
  for (ADDRINFOW* a = answer; a; a = a->ai_next) {
    if (a->ai_family == AF_INET && a->ai_addr) {
      r = {0, FromInAddr(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr)};
      break;
    }
  }
  FreeAddrInfoW(answer);
  return r;
}

std::unique_ptr<UdpSocket> WinUdpNetwork::open_socket(bool broadcast, int& error) {
  SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  if (s == INVALID_SOCKET) {
    error = WSAGetLastError();
    return nullptr;
  }
  auto opened = std::make_unique<WinUdpSocket>(s);
  error = opened->set_broadcast(broadcast);
  if (error != 0) return nullptr;
  return opened;
}

}  // namespace horalux
