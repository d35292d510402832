#pragma once
#include <cstdint>
#include <functional>

#include "core/net/ntp_timestamp.h"
#include "core/net/udp_client.h"
#include "core/platform/clock.h"

namespace horalux {

// When one exchange happened, for measuring the lag of the network.
struct SntpExchangeTimes {
  // The host's look-up succeeded (a failure raised before it is the resolver's).
  bool resolved = false;
  // Performance counter (Clock::performance_counter) just before the request
  // went out (T1) and just after the reply came in (T4).
  std::int64_t sent = 0;
  std::int64_t received = 0;
  // The reply's receive (T2) and transmit (T3) timestamps as on the wire.
  NtpTimestamp server_received;
  NtpTimestamp server_sent;
};

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
  // The same exchange, telling when it happened; `times` holds the reply's
  // figures only when the result is above 0. The host is looked up before
  // the request is stamped: a slow resolver delays the request, not the reply.
  double QueryTime(SntpExchangeTimes& times);

 private:
  double Exchange(SntpExchangeTimes* times);
  // Waits out the rest of ReceiveTimeout for the reply to `sent`; 0.0 when
  // none came or it was rejected.
  double AwaitReply(const NtpTimestamp& sent, SntpExchangeTimes* times);

  Clock& clock_;
  RandomSource random_;
};

// `stamp` (as EncodeNtpTimestamp gives it) with its fraction moved to a
// value `random` picks among those that still decode to the same
// millisecond: nobody but the server it went to can echo it.
NtpTimestamp WithUnguessableFraction(NtpTimestamp stamp, std::uint32_t random);

}  // namespace horalux
