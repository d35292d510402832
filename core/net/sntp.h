#pragma once
#include <cstdint>
#include <functional>

#include "core/net/ntp_timestamp.h"
#include "core/net/udp_client.h"
#include "core/platform/clock.h"

namespace horalux {

// The SNTP time source: one request, at most one reply, no retries.
class TIdSNTP : public TIdUDPClient {
 public:
  static constexpr int kDefaultPort = 123;
  static constexpr int kMessageSize = 48;

  // Random 32-bit numbers for the request's sub-millisecond bits.
  using RandomSource = std::function<std::uint32_t()>;

  // `random` empty: the system's random device.
  TIdSNTP(UdpNetwork& network, Clock& clock, RandomSource random = {});

  // One complete exchange with Host. The server's transmit time as local
  // date-time (days since 1899-12-30), or 0.0 when no usable reply came
  // within ReceiveTimeout. Only a reply from Host:Port, in server mode,
  // that echoes this request's transmit time counts; anything else is
  // dropped and the wait goes on. Socket failures, a refused port among
  // them, raise EIdException descendants.
  double QueryTime();

 private:
  // Waits out the rest of ReceiveTimeout for the reply to `sent`; 0.0 when
  // none came or it was rejected.
  double AwaitReply(const NtpTimestamp& sent);

  Clock& clock_;
  RandomSource random_;
};

// `stamp` (as EncodeNtpTimestamp gives it) with its fraction moved to a
// value `random` picks among those that still decode to the same
// millisecond: nobody but the server it went to can echo it.
NtpTimestamp WithUnguessableFraction(NtpTimestamp stamp, std::uint32_t random);

}  // namespace horalux
