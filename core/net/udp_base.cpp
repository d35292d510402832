#include "core/net/udp_base.h"

#include "core/base/ascii_case.h"
#include "core/net/id_exceptions.h"

namespace horalux {
namespace {

bool IsLocalhost(const std::string& host) {
  return SameIgnoringAsciiCase(host, "localhost");
}

}  // namespace

std::optional<Ipv4Address> ParseDottedQuad(const std::string& text) {
  Ipv4Address address;
  std::size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    std::size_t start = pos;
    int value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      value = value * 10 + (text[pos] - '0');
      if (value > 255) return std::nullopt;
      ++pos;
    }
    if (pos == start) return std::nullopt;
    address.octets[part] = static_cast<std::uint8_t>(value);
  }
  if (pos != text.size()) return std::nullopt;
  return address;
}

TIdUDPBase::TIdUDPBase(UdpNetwork& network) : network_(network), layer_(network) {}

TIdUDPBase::~TIdUDPBase() {
  CloseBinding();
}

void TIdUDPBase::SetActive(bool value) {
  if (value == Active()) return;
  if (value) {
    Binding();
  } else {
    CloseBinding();
  }
}

void TIdUDPBase::SetBroadcastEnabled(bool value) {
  if (value == broadcast_enabled_) return;
  broadcast_enabled_ = value;
  if (socket_) {
    int error = socket_->set_broadcast(value);
    if (error != 0) throw EIdSocketError(error);
  }
}

UdpSocket& TIdUDPBase::Binding() {
  if (!socket_) {
    int error = 0;
    std::unique_ptr<UdpSocket> socket = network_.open_socket(broadcast_enabled_, error);
    if (!socket) throw EIdInvalidSocket();
    socket_ = std::move(socket);
  }
  return *socket_;
}

void TIdUDPBase::CloseBinding() {
  if (!socket_) return;
  socket_->shutdown_send();
  socket_.reset();
}

Ipv4Address TIdUDPBase::ResolveHost(const std::string& host) {
  if (IsLocalhost(host)) return Ipv4Address{{127, 0, 0, 1}};
  if (std::optional<Ipv4Address> quad = ParseDottedQuad(host)) return *quad;
  ResolveResult answer = network_.resolve_ipv4(host);
  if (answer.error != 0) throw EIdSocketError(answer.error);
  return answer.address;
}

void TIdUDPBase::SendBuffer(const std::string& host, int port, const std::uint8_t* data,
                            std::size_t size) {
  UdpSocket& socket = Binding();
  Ipv4Address to = ResolveHost(host);
  // The port travels as 16 bits, as the socket call takes it.
  const auto to_port = static_cast<std::uint16_t>(port);
  if (int error = socket.connect(to, to_port); error != 0) throw EIdSocketError(error);
  peer_ = to;
  peer_port_ = to_port;
  SendResult sent = socket.send(data, size);
  if (sent.error == kSocketMessageTooLong) throw EIdPackageSizeTooBig();
  if (sent.error != 0) throw EIdSocketError(sent.error);
  if (static_cast<std::size_t>(sent.bytes) != size) throw EIdNotAllBytesSent();
}

TIdUDPBase::Received TIdUDPBase::ReceiveDatagram(std::uint8_t* buffer, std::size_t size,
                                                 int wait_ms) {
  if (wait_ms == kTimeoutDefault) wait_ms = DefaultWait();
  // Any other negative wait, kTimeoutInfinite among them, has no limit.
  if (wait_ms < 0) wait_ms = -1;
  UdpSocket& socket = Binding();
  // A failed wait counts as a time-out.
  if (socket.wait_readable(wait_ms) != WaitResult::Readable) return {};
  ReceiveResult r = socket.receive(buffer, size);
  return {true, r.error, r.bytes, r.from, r.from_port};
}

}  // namespace horalux
