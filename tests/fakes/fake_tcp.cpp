#include "tests/fakes/fake_tcp.h"

#include <algorithm>
#include <cstring>

namespace horalux::fakes {
namespace {
constexpr int kHostNotFound = 11001;
}

FakeTcpSession::~FakeTcpSession() {
  if (network_.session == this) network_.session = nullptr;
}

int FakeTcpSession::open_error() const {
  return network_.open_error;
}

void FakeTcpSession::start_lookup(const std::string& host) {
  lookup_pending_ = true;
  if (network_.silent_lookups) return;
  auto it = network_.hosts.find(host);
  if (it == network_.hosts.end())
    events_.push_back({TcpEvent::Kind::LookupDone, kHostNotFound, {}});
  else
    events_.push_back({TcpEvent::Kind::LookupDone, 0, it->second});
}

int FakeTcpSession::start_connect(const Ipv4Address& address, std::uint16_t port) {
  network_.connected_to.push_back(address.ToString() + ":" + std::to_string(port));
  network_.requests.emplace_back();
  if (network_.silent_connects) return kSocketWouldBlock;
  events_.push_back({TcpEvent::Kind::Connected, network_.connect_error, {}});
  if (network_.connect_error == 0) {
    connected_ = true;
    if (!network_.replies.empty()) {
      reply_ = network_.replies.front();
      network_.replies.pop_front();
    } else {
      reply_ = FakeTcpReply{};
    }
    taken_ = 0;
    connection_ = network_.connected_to.size() - 1;
    sends_ = 0;
    connected_at_ = network_.clock.tick_count();
  }
  return kSocketWouldBlock;
}

TcpIoResult FakeTcpSession::send(const std::uint8_t* data, std::size_t size) {
  network_.requests.back().append(reinterpret_cast<const char*>(data), size);
  std::deque<std::string>& later = network_.later_replies[connection_];
  if (sends_++ > 0 && !later.empty()) {
    reply_.bytes += later.front();
    later.pop_front();
  }
  return {0, static_cast<int>(size)};
}

std::size_t FakeTcpSession::Available() {
  std::size_t total = reply_.bytes.size();
  if (reply_.endless)
    total = reply_.drip_ms ? total + (network_.clock.tick_count() - connected_at_) / reply_.drip_ms
                           : std::string::npos;
  return total - std::min(taken_, total);
}

TcpIoResult FakeTcpSession::peek(std::uint8_t* buffer, std::size_t size) {
  if (!connected_) return {10057, 0};
  std::size_t n = std::min(size, Available());
  if (n == 0)
    return reply_.close_after && !reply_.endless && taken_ >= reply_.bytes.size()
               ? TcpIoResult{0, 0}
               : TcpIoResult{kSocketWouldBlock, 0};
  for (std::size_t i = 0; i < n; ++i)
    buffer[i] = static_cast<std::uint8_t>(
        taken_ + i < reply_.bytes.size() ? reply_.bytes[taken_ + i] : 'x');
  return {0, static_cast<int>(n)};
}

TcpIoResult FakeTcpSession::receive(std::uint8_t* buffer, std::size_t size) {
  TcpIoResult r = peek(buffer, size);
  if (r.error == 0) taken_ += static_cast<std::size_t>(r.bytes);
  return r;
}

void FakeTcpSession::close_abortive() {
  ++network_.closes;
  connected_ = false;
  lookup_pending_ = false;
  events_.clear();
}

void FakeTcpSession::deliver() {
  while (!events_.empty()) {
    TcpEvent e = events_.front();
    events_.pop_front();
    if (e.kind == TcpEvent::Kind::LookupDone) {
      if (!lookup_pending_) continue;
      lookup_pending_ = false;
    }
    if (listener_) listener_(e);
  }
}

std::unique_ptr<TcpSession> FakeTcpNetwork::open_session() {
  auto s = std::make_unique<FakeTcpSession>(*this);
  session = s.get();
  return s;
}

void ClockedPump::process_messages() {
  FakePump::process_messages();
  if (network_.session) network_.session->deliver();
  std::uint32_t now = clock_.tick_count();
  for (auto it = due_.begin(); it != due_.end();) {
    int id = it->first;
    bool fire_now = timers.count(id) && now >= it->second;
    ++it;
    if (fire_now) fire(id);
  }
}

void ClockedPump::start_timer(int id, std::uint32_t interval_ms, std::function<void()> on_fire) {
  FakePump::start_timer(id, interval_ms, std::move(on_fire));
  due_[id] = clock_.tick_count() + interval_ms;
}

}  // namespace horalux::fakes
