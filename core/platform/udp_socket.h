#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/platform/socket_layer.h"

namespace horalux {

struct ResolveResult {
  int error = 0;  // the resolver's error number; 0 when `address` holds the answer
  Ipv4Address address;
};

struct SendResult {
  int error = 0;  // 0 when the datagram went out
  int bytes = 0;  // bytes handed to the network, 0..size
};

enum class WaitResult { Readable, TimedOut, Failed };

struct ReceiveResult {
  int error = 0;  // 0 when a whole datagram was received
  int bytes = 0;  // bytes of the datagram stored, 0..buffer size
  Ipv4Address from;
  std::uint16_t from_port = 0;
};

// One open IPv4 datagram socket, unbound; once connected it exchanges
// datagrams with that one peer only. Destroying it closes it.
class UdpSocket {
 public:
  virtual ~UdpSocket() = default;
  // Sets the broadcast option; the error number, 0 on success.
  virtual int set_broadcast(bool enabled) = 0;
  // Makes address:port (port in host order) the socket's only peer: the
  // system then drops datagrams from anyone else. May be called again for
  // another peer. The error number, 0 on success.
  virtual int connect(const Ipv4Address& to, std::uint16_t port) = 0;
  // Sends one datagram of `size` bytes to the connected peer.
  virtual SendResult send(const std::uint8_t* data, std::size_t size) = 0;
  // Waits until a datagram can be received: at most `timeout_ms`
  // milliseconds, without limit when negative, just a look when 0.
  virtual WaitResult wait_readable(int timeout_ms) = 0;
  // Takes the next datagram into `buffer` (`size` bytes), with its sender. A
  // datagram longer than the buffer is cut to it and reports
  // kSocketMessageTooLong; a report that the peer's port is unreachable comes
  // as kSocketConnectionReset or kSocketConnectionRefused.
  virtual ReceiveResult receive(std::uint8_t* buffer, std::size_t size) = 0;
  // Shuts the socket down for sending (done before it is closed).
  virtual void shutdown_send() = 0;
};

// The UDP services of the network.
class UdpNetwork : public SocketLayer {
 public:
  // The first IPv4 address the system's host-name resolver gives for `host`
  // (UTF-8), or the resolver's error number.
  virtual ResolveResult resolve_ipv4(const std::string& host) = 0;
  // Opens an IPv4 datagram socket (protocol 0) with the broadcast option as
  // given. On failure returns null and stores the error number in `error`.
  virtual std::unique_ptr<UdpSocket> open_socket(bool broadcast, int& error) = 0;
};

}  // namespace horalux
