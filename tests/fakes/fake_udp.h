#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/udp_socket.h"

namespace horalux::fakes {

// What the network does at the next readiness wait of any socket.
struct ScriptedReply {
  enum class Kind { Datagram, Silence, WaitFails, ReceiveFails };
  Kind kind = Kind::Datagram;
  std::vector<std::uint8_t> bytes;  // Datagram
  Ipv4Address from{{127, 0, 0, 1}};
  std::uint16_t from_port = 123;
  int error = 0;  // ReceiveFails
  // As a server does: bytes 24..31 become the transmit stamp of the
  // receiving socket's last request (when the datagram reaches that far).
  bool echo_request_stamp = true;
};

// What the network does with the next send.
struct ScriptedSend {
  int error = 0;
  int bytes = -1;  // bytes reported sent; negative: all of them
};

struct SentDatagram {
  int socket = 0;  // index into FakeUdpNetwork::sockets
  Ipv4Address to;
  std::uint16_t port = 0;
  std::vector<std::uint8_t> bytes;
};

// The life of one socket, kept after the socket object is gone.
struct SocketRecord {
  std::vector<bool> broadcast;  // the option at opening, then every change
  bool shut_down = false;
  bool closed = false;
};

// An in-memory network with scripted replies, resolver answers and
// failures. Replies are consumed in order by whichever socket waits; with
// none left a wait times out.
class FakeUdpNetwork : public UdpNetwork {
 public:
  int start() override;
  void stop() override;
  ResolveResult resolve_ipv4(const std::string& host) override;
  std::unique_ptr<UdpSocket> open_socket(bool broadcast, int& error) override;

  // Scripting.
  void reply(std::vector<std::uint8_t> bytes, Ipv4Address from = {{127, 0, 0, 1}},
             std::uint16_t from_port = 123);
  void silence();
  std::map<std::string, Ipv4Address> hosts;  // resolver answers; others fail
  int resolve_error = 11001;                 // host not found
  std::deque<ScriptedReply> replies;
  std::deque<ScriptedSend> sends;
  std::function<void()> on_wait;  // runs at every readiness wait: time passing, say
  int open_error = 0;             // non-zero: sockets cannot be opened
  int broadcast_error = 0;
  int start_error = 0;

  // Records.
  int starts = 0;
  int stops = 0;
  std::vector<std::string> lookups;
  std::vector<std::shared_ptr<SocketRecord>> sockets;
  std::vector<SentDatagram> sent;
  std::vector<int> waits;  // the timeout of every readiness wait, milliseconds
  int open_sockets() const;
};

}  // namespace horalux::fakes
