#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/tcp_session.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_pump.h"

namespace horalux::fakes {

// What a fake server does on one connection.
struct FakeTcpReply {
  std::string bytes;          // everything the server sends
  bool close_after = true;    // false: the connection stays open after the bytes
  bool endless = false;       // after the bytes, 'x' for ever
  std::uint32_t drip_ms = 0;  // endless: one 'x' every drip_ms milliseconds of the fake clock
};

class FakeTcpNetwork;

// A session whose connections are answered by the network's scripted replies.
class FakeTcpSession : public TcpSession {
 public:
  explicit FakeTcpSession(FakeTcpNetwork& network) : network_(network) {}
  ~FakeTcpSession() override;
  void set_listener(std::function<void(const TcpEvent&)> listener) override {
    listener_ = std::move(listener);
  }
  int open_error() const override;
  void start_lookup(const std::string& host) override;
  void cancel_lookup() override { lookup_pending_ = false; }
  int start_connect(const Ipv4Address& address, std::uint16_t port) override;
  TcpIoResult send(const std::uint8_t* data, std::size_t size) override;
  TcpIoResult peek(std::uint8_t* buffer, std::size_t size) override;
  TcpIoResult receive(std::uint8_t* buffer, std::size_t size) override;
  void close_abortive() override;

  // Hands the queued events to the listener (the pump does it).
  void deliver();

 private:
  std::size_t Available();
  FakeTcpNetwork& network_;
  std::function<void(const TcpEvent&)> listener_;
  std::deque<TcpEvent> events_;
  bool lookup_pending_ = false;
  bool connected_ = false;
  FakeTcpReply reply_;
  std::size_t taken_ = 0;
  std::size_t connection_ = 0, sends_ = 0;
  std::uint32_t connected_at_ = 0;
};

// The scripted network: host names, one reply per connection in order, and
// a record of what the client sent and where.
class FakeTcpNetwork : public TcpNetwork {
 public:
  explicit FakeTcpNetwork(FakeClock& clock) : clock(clock) {}
  int start() override { return start_error; }
  void stop() override {}
  std::unique_ptr<TcpSession> open_session() override;

  FakeClock& clock;
  int start_error = 0;
  int open_error = 0;
  std::map<std::string, Ipv4Address> hosts;  // others fail to resolve (11001)
  bool silent_lookups = false;               // look-ups never end
  bool silent_connects = false;              // connects never end
  int connect_error = 0;                     // carried by the Connected event
  std::deque<FakeTcpReply> replies;          // one per connection; then the peer closes at once
  std::vector<std::string> requests;         // bytes sent, one entry per connection
  std::vector<std::string> connected_to;     // "a.b.c.d:port" per connection
  int closes = 0;                            // abortive closes
  FakeTcpSession* session = nullptr;
  // By connection (from 0): more replies on it, one per further request.
  std::map<std::size_t, std::deque<std::string>> later_replies;
};

// A fake pump that also delivers the fake network's events and fires its
// timers when the fake clock reaches them.
class ClockedPump : public FakePump {
 public:
  ClockedPump(FakeClock& clock, FakeTcpNetwork& network) : clock_(clock), network_(network) {
    this->clock = &clock;
  }
  void process_messages() override;
  void start_timer(int id, std::uint32_t interval_ms, std::function<void()> on_fire) override;

 private:
  FakeClock& clock_;
  FakeTcpNetwork& network_;
  std::map<int, std::uint32_t> due_;
};

}  // namespace horalux::fakes
