#include "core/net/sntp.h"

#include <array>
#include <cstdint>
#include <vector>

#include "core/net/ntp_timestamp.h"
#include "core/base/date_time.h"

namespace horalux {
namespace {

constexpr std::uint8_t kClientRequest = 0x1B;  // leap 0, version 3, mode 3 (client)
constexpr int kLeapAlarm = 3;                  // the server's clock is not synchronised
constexpr int kMaxStratum = 15;
constexpr std::size_t kTransmitOffset = 40;

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

}  // namespace

TIdSNTP::TIdSNTP(UdpNetwork& network, Clock& clock) : TIdUDPClient(network), clock_(clock) {
  SetPort(kDefaultPort);
}

double TIdSNTP::QueryTime() {
  std::array<std::uint8_t, kMessageSize> request{};
  request[0] = kClientRequest;
  NtpTimestamp now =
      EncodeNtpTimestamp(FieldsToDateTime(clock_.local_time()), LocalBiasDays(clock_));
  PutBigEndian(&request[kTransmitOffset], now.seconds);
  PutBigEndian(&request[kTransmitOffset + 4], now.fraction);

  SetBufferSize(kMessageSize);
  Send(request.data(), request.size());

  // A longer reply (one with an authenticator, say) does not fit and fails
  // the receive with "Message too long.".
  std::vector<std::uint8_t> reply(static_cast<std::size_t>(BufferSize()));
  int received = ReceiveBuffer(reply.data(), reply.size());
  if (received < kMessageSize) return 0.0;

  int leap = reply[0] >> 6;
  int stratum = reply[1];
  NtpTimestamp transmit{GetBigEndian(&reply[kTransmitOffset]),
                        GetBigEndian(&reply[kTransmitOffset + 4])};
  if (leap == kLeapAlarm) return 0.0;
  if (transmit.seconds == 0 && transmit.fraction == 0) return 0.0;
  if (stratum == 0 || stratum > kMaxStratum) return 0.0;
  return DecodeNtpTimestamp(transmit, LocalBiasDays(clock_));
}

}  // namespace horalux
