#include "tests/fakes/fake_udp.h"

#include <algorithm>
#include <cstring>

namespace horalux::fakes {
namespace {

class FakeSocket : public UdpSocket {
 public:
  FakeSocket(FakeUdpNetwork& network, int index) : network_(network), index_(index) {}
  ~FakeSocket() override { record().closed = true; }

  int set_broadcast(bool enabled) override {
    if (network_.broadcast_error != 0) return network_.broadcast_error;
    record().broadcast.push_back(enabled);
    return 0;
  }

  int connect(const Ipv4Address& to, std::uint16_t port) override {
    to_ = to;
    port_ = port;
    return 0;
  }

  SendResult send(const std::uint8_t* data, std::size_t size) override {
    ScriptedSend script;
    if (!network_.sends.empty()) {
      script = network_.sends.front();
      network_.sends.pop_front();
    }
    if (script.error != 0) return {script.error, 0};
    network_.sent.push_back({index_, to_, port_, std::vector<std::uint8_t>(data, data + size)});
    return {0, script.bytes < 0 ? static_cast<int>(size) : script.bytes};
  }

  WaitResult wait_readable(int timeout_ms) override {
    network_.waits.push_back(timeout_ms);
    if (network_.on_wait) network_.on_wait();
    if (network_.replies.empty()) return WaitResult::TimedOut;
    switch (network_.replies.front().kind) {
      case ScriptedReply::Kind::Silence:
        network_.replies.pop_front();
        return WaitResult::TimedOut;
      case ScriptedReply::Kind::WaitFails:
        network_.replies.pop_front();
        return WaitResult::Failed;
      default:
        return WaitResult::Readable;
    }
  }

  ReceiveResult receive(std::uint8_t* buffer, std::size_t size) override {
    if (network_.replies.empty()) return {10035, 0, {}, 0};  // would block
    ScriptedReply next = network_.replies.front();
    network_.replies.pop_front();
    if (next.kind == ScriptedReply::Kind::ReceiveFails) return {next.error, 0, {}, 0};
    if (next.echo_request_stamp && next.bytes.size() >= 32) {
      for (auto sent = network_.sent.rbegin(); sent != network_.sent.rend(); ++sent) {
        if (sent->socket != index_ || sent->bytes.size() < 48) continue;
        std::copy(sent->bytes.begin() + 40, sent->bytes.begin() + 48, next.bytes.begin() + 24);
        break;
      }
    }
    std::size_t stored = std::min(size, next.bytes.size());
    if (stored > 0) std::memcpy(buffer, next.bytes.data(), stored);
    // Like Windows Sockets, a datagram longer than the buffer is cut and fails.
    int error = next.bytes.size() > size ? kSocketMessageTooLong : 0;
    return {error, static_cast<int>(stored), next.from, next.from_port};
  }

  void shutdown_send() override { record().shut_down = true; }

 private:
  SocketRecord& record() { return *network_.sockets[static_cast<std::size_t>(index_)]; }

  FakeUdpNetwork& network_;
  int index_;
  Ipv4Address to_;
  std::uint16_t port_ = 0;
};

}  // namespace

int FakeUdpNetwork::start() {
  if (start_error != 0) return start_error;
  ++starts;
  return 0;
}

void FakeUdpNetwork::stop() {
  ++stops;
}

ResolveResult FakeUdpNetwork::resolve_ipv4(const std::string& host) {
  lookups.push_back(host);
  auto found = hosts.find(host);
  if (found == hosts.end()) return {resolve_error, {}};
  return {0, found->second};
}

std::unique_ptr<UdpSocket> FakeUdpNetwork::open_socket(bool broadcast, int& error) {
  if (open_error != 0) {
    error = open_error;
    return nullptr;
  }
  auto record = std::make_shared<SocketRecord>();
  record->broadcast.push_back(broadcast);
  sockets.push_back(record);
  return std::make_unique<FakeSocket>(*this, static_cast<int>(sockets.size()) - 1);
}

void FakeUdpNetwork::reply(std::vector<std::uint8_t> bytes, Ipv4Address from,
                           std::uint16_t from_port) {
  ScriptedReply r;
  r.bytes = std::move(bytes);
  r.from = from;
  r.from_port = from_port;
  replies.push_back(std::move(r));
}

void FakeUdpNetwork::silence() {
  ScriptedReply r;
  r.kind = ScriptedReply::Kind::Silence;
  replies.push_back(r);
}

int FakeUdpNetwork::open_sockets() const {
  return static_cast<int>(
      std::count_if(sockets.begin(), sockets.end(), [](const auto& s) { return !s->closed; }));
}

}  // namespace horalux::fakes
