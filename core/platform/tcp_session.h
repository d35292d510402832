#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/platform/socket_layer.h"

namespace horalux {

// A call on a non-blocking socket that has nothing to do yet (WSAEWOULDBLOCK).
inline constexpr int kSocketWouldBlock = 10035;

// What the network reports about a session. Events are never delivered from
// inside a call of the session: they queue as window messages and run on the
// user-interface thread when MessagePump::process_messages() handles them.
struct TcpEvent {
  enum class Kind {
    LookupDone,  // the name look-up ended: `error`, else `address`
    Connected,   // the connect ended: `error` 0 when the connection stands
    Readable,    // bytes (or out-of-band data) wait to be received
    Accepted,    // an incoming connection (never expected of a client)
    Closed,      // the peer closed or reset the connection: `error` for a reset
  };
  Kind kind;
  int error = 0;  // Windows Sockets error number, 0 for none
  Ipv4Address address;
};

struct TcpIoResult {
  int error = 0;  // 0, kSocketWouldBlock, or another error number
  int bytes = 0;  // bytes sent, copied or taken; 0 with error 0 on receive: the peer closed
};

// One TCP client socket with its notifications. The socket is open from
// creation on; close_abortive() drops the connection and opens a fresh one.
class TcpSession {
 public:
  virtual ~TcpSession() = default;
  // Receives every event of this session; replaces the previous listener.
  virtual void set_listener(std::function<void(const TcpEvent&)> listener) = 0;
  // The error number that kept the fresh socket from opening, 0 when it is open.
  virtual int open_error() const = 0;
  // Starts resolving `host` (UTF-8) to its first IPv4 address without
  // blocking; ends with one LookupDone event unless cancelled.
  virtual void start_lookup(const std::string& host) = 0;
  // Forgets a running look-up: its LookupDone event never comes.
  virtual void cancel_lookup() = 0;
  // Starts connecting to address:port (port in host order); the error number
  // of the call, 0 when the Connected event will tell the outcome.
  virtual int start_connect(const Ipv4Address& address, std::uint16_t port) = 0;
  // Sends up to `size` bytes; kSocketWouldBlock when none fit now.
  virtual TcpIoResult send(const std::uint8_t* data, std::size_t size) = 0;
  // Copies up to `size` waiting bytes into `buffer` and leaves them waiting.
  virtual TcpIoResult peek(std::uint8_t* buffer, std::size_t size) = 0;
  // Takes up to `size` waiting bytes; kSocketWouldBlock when none wait.
  virtual TcpIoResult receive(std::uint8_t* buffer, std::size_t size) = 0;
  // Closes at once with a reset (linger on, zero seconds), then opens a
  // fresh unconnected socket; a running look-up is forgotten.
  virtual void close_abortive() = 0;
};

// The TCP services of the network.
class TcpNetwork : public SocketLayer {
 public:
  // A session with an open socket; on failure open_error() of the session
  // tells why.
  virtual std::unique_ptr<TcpSession> open_session() = 0;
};

}  // namespace horalux
