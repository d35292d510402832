#pragma once
#include "core/net/udp_client.h"
#include "core/platform/clock.h"

namespace horalux {

// The SNTP time source: one request, at most one reply, no retries.
class TIdSNTP : public TIdUDPClient {
 public:
  static constexpr int kDefaultPort = 123;
  static constexpr int kMessageSize = 48;

  TIdSNTP(UdpNetwork& network, Clock& clock);

  // One complete exchange with Host. The server's transmit time as local
  // date-time (days since 1899-12-30), or 0.0 when no usable reply came
  // within ReceiveTimeout. Socket failures raise EIdException descendants.
  double QueryTime();

 private:
  Clock& clock_;
};

}  // namespace horalux
