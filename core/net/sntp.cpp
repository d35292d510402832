#include "core/net/sntp.h"

#include <array>
#include <cmath>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "core/base/date_time.h"
#include "core/net/id_exceptions.h"

namespace horalux {
namespace {

constexpr std::uint8_t kClientRequest = 0x1B;  // leap 0, version 3, mode 3 (client)
constexpr int kServerMode = 4;
constexpr int kLeapAlarm = 3;  // the server's clock is not synchronised
constexpr int kMaxStratum = 15;
constexpr std::size_t kOriginateOffset = 24;
constexpr std::size_t kReceiveOffset = 32;
constexpr std::size_t kTransmitOffset = 40;
// The fraction's scale, as the decoder divides by it.
constexpr std::uint64_t kFractionScale = 4294967297ull;
// Keeps the chosen fraction off the edges of its millisecond, where the
// decoder's floating-point division could tip it into the next one.
constexpr std::uint64_t kEdgeMargin = 64;

void PutBigEndian(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value >> 24);
  at[1] = static_cast<std::uint8_t>(value >> 16);
  at[2] = static_cast<std::uint8_t>(value >> 8);
  at[3] = static_cast<std::uint8_t>(value);
}

std::uint32_t GetBigEndian(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) << 24 | static_cast<std::uint32_t>(at[1]) << 16 |
         static_cast<std::uint32_t>(at[2]) << 8 | static_cast<std::uint32_t>(at[3]);
}

NtpTimestamp ReadStamp(const std::uint8_t* at) {
  return {GetBigEndian(at), GetBigEndian(at + 4)};
}

}  // namespace

NtpTimestamp WithUnguessableFraction(NtpTimestamp stamp, std::uint32_t random) {
  // The clock reads whole milliseconds: the encoded fraction lies next to one.
  auto ms = static_cast<std::uint64_t>(
      std::llround(static_cast<double>(stamp.fraction) * 1000 / kFractionScale));
  if (ms == 1000) {
    ms = 0;
    ++stamp.seconds;
  }
  // The fractions that decode to `ms`: low .. high.
  const std::uint64_t low = (ms * kFractionScale + 999) / 1000 + kEdgeMargin;
  std::uint64_t high = ((ms + 1) * kFractionScale + 999) / 1000 - 1 - kEdgeMargin;
  if (high > 0xFFFFFFFFull - kEdgeMargin) high = 0xFFFFFFFFull - kEdgeMargin;
  stamp.fraction = static_cast<std::uint32_t>(low + random % (high - low + 1));
  return stamp;
}

TIdSNTP::TIdSNTP(UdpNetwork& network, Clock& clock, RandomSource random)
    : TIdUDPClient(network), clock_(clock), random_(std::move(random)) {
  SetPort(kDefaultPort);
  if (!random_) {
    random_ = [device = std::make_shared<std::random_device>()] { return (*device)(); };
  }
}

double TIdSNTP::QueryTime() {
  return Exchange(nullptr);
}

double TIdSNTP::QueryTime(SntpExchangeTimes& times) {
  times = {};
  return Exchange(&times);
}

double TIdSNTP::Exchange(SntpExchangeTimes* times) {
  std::array<std::uint8_t, kMessageSize> request{};
  request[0] = kClientRequest;
  const NtpTimestamp sent = WithUnguessableFraction(
      EncodeNtpTimestamp(FieldsToDateTime(clock_.local_time()), LocalBiasDays(clock_)), random_());
  PutBigEndian(&request[kTransmitOffset], sent.seconds);
  PutBigEndian(&request[kTransmitOffset + 4], sent.fraction);

  SetBufferSize(kMessageSize);
  if (times) {
    const std::string address = ResolveHost(Host()).ToString();
    times->resolved = true;
    times->sent = clock_.performance_counter();
    SendBuffer(address, Port(), request.data(), request.size());
  } else {
    Send(request.data(), request.size());
  }
  return AwaitReply(sent, times);
}

double TIdSNTP::AwaitReply(const NtpTimestamp& sent, SntpExchangeTimes* times) {
  const std::uint32_t started = clock_.tick_count();
  const int timeout = ReceiveTimeout();
  std::vector<std::uint8_t> reply(static_cast<std::size_t>(BufferSize()));
  for (;;) {
    int wait = kTimeoutInfinite;
    if (timeout >= 0) {
      const std::uint32_t spent = clock_.tick_count() - started;
      if (spent > static_cast<std::uint32_t>(timeout)) return 0.0;
      wait = timeout - static_cast<int>(spent);
    }
    Received got = ReceiveDatagram(reply.data(), reply.size(), wait);
    if (times) times->received = clock_.performance_counter();
    if (!got.arrived) return 0.0;
    // A refusal (10054, 10061) is raised too: it is what names a mistyped
    // host to the user. Forging one only drops the reply, as anyone on the
    // path could anyway.
    if (got.error != 0 && got.error != kSocketMessageTooLong) throw EIdSocketError(got.error);
    // A platform that lets another sender's datagram through does not let
    // it answer for the server.
    if (!(got.from == PeerAddress() && got.from_port == PeerPort())) continue;
    if (got.bytes < kMessageSize) continue;
    // Anyone may send a datagram; only the server saw the request's stamp.
    if ((reply[0] & 7) != kServerMode || !(ReadStamp(&reply[kOriginateOffset]) == sent)) continue;
    // The server's own reply with an authenticator does not fit.
    if (got.error != 0) throw EIdSocketError(got.error);

    const int leap = reply[0] >> 6;
    const int stratum = reply[1];
    const NtpTimestamp transmit = ReadStamp(&reply[kTransmitOffset]);
    if (leap == kLeapAlarm) return 0.0;
    if (transmit.seconds == 0 && transmit.fraction == 0) return 0.0;
    if (stratum == 0 || stratum > kMaxStratum) return 0.0;
    if (times) {
      times->server_received = ReadStamp(&reply[kReceiveOffset]);
      times->server_sent = transmit;
    }
    return DecodeNtpTimestamp(transmit, LocalBiasDays(clock_));
  }
}

}  // namespace horalux
