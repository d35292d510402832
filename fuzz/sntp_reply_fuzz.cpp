// The SNTP reply: any datagram a server (or anyone on the path) sends back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/base/date_time.h"
#include "core/net/id_exceptions.h"
#include "core/net/sntp.h"
#include "fuzz/fuzz_input.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_udp.h"

using namespace horalux;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fakes::FakeClock clock;
  fakes::FakeUdpNetwork network;
  network.reply(std::vector<std::uint8_t>(data, data + size));
  TIdSNTP sntp(network, clock);
  sntp.SetHost("127.0.0.1");
  sntp.SetReceiveTimeout(1000);
  double local = 0.0;
  try {
    local = sntp.QueryTime();
  } catch (const EIdException&) {
    return 0;  // a datagram longer than a reply fails the receive
  }
  if (local == 0.0) return 0;
  // 32 bits of seconds from 1900 reach into 2036; the zone moves it by a day at most.
  fuzz::Require(std::isfinite(local) && local >= 1.0 && local <= 2.0 + 49711.0 + 1.0,
                "a decoded reply lies within the NTP era");
  SystemTimeFields fields = DateTimeToFields(local);
  fuzz::Require(fields.year >= 1899 && fields.year <= 2036, "the reply's date has a real year");
  return 0;
}
