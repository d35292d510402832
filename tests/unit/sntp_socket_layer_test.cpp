#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

#include "core/net/id_exceptions.h"
#include "core/net/sntp.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_udp.h"

namespace horalux {
namespace {

static_assert(std::is_base_of_v<EIdSocketHandleError, EIdPackageSizeTooBig>);
static_assert(std::is_base_of_v<EIdSocketHandleError, EIdNotAllBytesSent>);
static_assert(std::is_base_of_v<EIdException, EIdSocketHandleError>);
static_assert(std::is_base_of_v<EIdException, EIdInvalidSocket>);
static_assert(std::is_base_of_v<EIdException, EIdSocketError>);

TEST(SocketLayer, FirstComponentStartsItAndTheLastOneDestroyedStopsIt) {
  fakes::FakeClock clock;
  fakes::FakeUdpNetwork network;
  auto first = std::make_unique<TIdSNTP>(network, clock);
  auto second = std::make_unique<TIdSNTP>(network, clock);
  EXPECT_EQ(network.starts, 1);
  first.reset();
  EXPECT_EQ(network.stops, 0);
  second.reset();
  EXPECT_EQ(network.stops, 1);
  TIdSNTP again(network, clock);
  EXPECT_EQ(network.starts, 2);
}

TEST(SocketLayer, FailedStartRaisesAndHoldsNothing) {
  fakes::FakeClock clock;
  fakes::FakeUdpNetwork network;
  network.start_error = 10091;  // network subsystem unusable
  EXPECT_THROW(TIdSNTP(network, clock), EIdSocketError);
  EXPECT_EQ(SocketLayerUse::Holders(), 0);
  network.start_error = 0;
  TIdSNTP sntp(network, clock);
  EXPECT_EQ(network.starts, 1);
}

TEST(SocketErrorMessage, CarriesTheNumberAndTheEnglishDescriptionInRange) {
  struct Row {
    int number;
    const char* message;
  } rows[] = {
      {10004, "Socket Error # 10004\r\nInterrupted system call."},
      {10040, "Socket Error # 10040\r\nMessage too long."},
      {10060, "Socket Error # 10060\r\nConnection timed out."},
      {10061, "Socket Error # 10061\r\nConnection refused."},
      {10065, "Socket Error # 10065\r\nNo route to host."},
      {10066, "Socket Error # 10066\r\nDirectory not empty."},
      {10003, "Socket Error # 10003\r\n"},
      {10005, "Socket Error # 10005\r\n"},
      {10067, "Socket Error # 10067\r\n"},
      {11001, "Socket Error # 11001\r\n"},
  };
  for (const Row& row : rows) {
    EIdSocketError error(row.number);
    EXPECT_EQ(error.LastError(), row.number);
    EXPECT_STREQ(error.what(), row.message);
  }
}

}  // namespace
}  // namespace horalux
