#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/net/socket_layer.h"
#include "core/platform/udp_socket.h"

namespace horalux {

// Receive waits in milliseconds; these two negative values are special.
inline constexpr int kTimeoutDefault = -1;   // the component's ReceiveTimeout
inline constexpr int kTimeoutInfinite = -2;  // wait without limit

// "a.b.c.d" with four decimal integers 0..255, or nothing.
std::optional<Ipv4Address> ParseDottedQuad(const std::string& text);

// A component owning one UDP socket.
class TIdUDPBase {
 public:
  explicit TIdUDPBase(UdpNetwork& network);
  virtual ~TIdUDPBase();
  TIdUDPBase(const TIdUDPBase&) = delete;
  TIdUDPBase& operator=(const TIdUDPBase&) = delete;

  // True while the socket exists; setting it opens or closes the socket.
  bool Active() const { return socket_ != nullptr; }
  void SetActive(bool value);
  // Largest datagram one receive accepts, in bytes.
  int BufferSize() const { return buffer_size_; }
  void SetBufferSize(int value) { buffer_size_ = value; }
  // The socket's broadcast option; applied at once when the socket is open.
  bool BroadcastEnabled() const { return broadcast_enabled_; }
  void SetBroadcastEnabled(bool value);

  // The address to send to: "LOCALHOST" in any case is 127.0.0.1, a dotted
  // quad is taken as it is, anything else asks the resolver (EIdSocketError
  // with the resolver's number when it fails).
  Ipv4Address ResolveHost(const std::string& host);
  // Connects the socket to host:port, opening it first when it is not open,
  // and sends `size` bytes to it as one datagram. That peer stays the
  // socket's until the next send names another.
  void SendBuffer(const std::string& host, int port, const std::uint8_t* data, std::size_t size);
  // The peer of the last send: its address and port.
  const Ipv4Address& PeerAddress() const { return peer_; }
  std::uint16_t PeerPort() const { return peer_port_; }

  // One receive as the socket reported it; nothing raised.
  struct Received {
    bool arrived = false;  // false: nothing came in time, or the wait failed
    int error = 0;         // the socket's error number for this datagram
    int bytes = 0;
    Ipv4Address from;
    std::uint16_t from_port = 0;
  };
  // Waits at most `wait_ms` milliseconds (kTimeoutDefault, kTimeoutInfinite)
  // and takes one datagram into `buffer`.
  Received ReceiveDatagram(std::uint8_t* buffer, std::size_t size, int wait_ms);

 protected:
  // The wait in milliseconds that kTimeoutDefault stands for.
  virtual int DefaultWait() const { return kTimeoutInfinite; }
  // The open socket, opened now when needed.
  UdpSocket& Binding();

 private:
  void CloseBinding();

  UdpNetwork& network_;
  SocketLayerUse layer_;
  std::unique_ptr<UdpSocket> socket_;
  int buffer_size_ = 8192;
  bool broadcast_enabled_ = false;
  Ipv4Address peer_;
  std::uint16_t peer_port_ = 0;
};

}  // namespace horalux
