#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "core/net/id_exceptions.h"
#include "core/net/sntp.h"
#include "core/base/date_time.h"
#include "tools/lib/sntp_responder.h"
#include "win32/net/udp_socket.h"
#include "win32/platform/win_clock.h"

namespace horalux {
namespace {

using tools::SntpAnswer;
using tools::SntpResponder;

// The real network, with a few host names answered here (so no test asks a
// real name server about them) and 127.0.0.1 sent on to another loopback
// address (so no test needs port 123 of 127.0.0.1).
class SteeredNetwork : public UdpNetwork {
 public:
  int start() override { return real.start(); }
  void stop() override { real.stop(); }
  ResolveResult resolve_ipv4(const std::string& host) override {
    lookups.push_back(host);
    auto found = names.find(host);
    if (found != names.end()) return {0, found->second};
    return real.resolve_ipv4(host);
  }
  std::unique_ptr<UdpSocket> open_socket(bool broadcast, int& error) override {
    auto socket = real.open_socket(broadcast, error);
    if (!socket) return nullptr;
    return std::make_unique<Steered>(std::move(socket), *this);
  }

  WinUdpNetwork real;
  std::map<std::string, Ipv4Address> names;
  Ipv4Address localhost_goes_to{{127, 0, 0, 1}};
  std::vector<Ipv4Address> sent_to;
  std::vector<std::string> lookups;

 private:
  class Steered : public UdpSocket {
   public:
    Steered(std::unique_ptr<UdpSocket> s, SteeredNetwork& n) : s_(std::move(s)), n_(n) {}
    int set_broadcast(bool on) override { return s_->set_broadcast(on); }
    int connect(const Ipv4Address& to, std::uint16_t port) override {
      n_.sent_to.push_back(to);
      bool local = to == Ipv4Address{{127, 0, 0, 1}};
      return s_->connect(local ? n_.localhost_goes_to : to, port);
    }
    SendResult send(const std::uint8_t* data, std::size_t size) override {
      return s_->send(data, size);
    }
    WaitResult wait_readable(int ms) override { return s_->wait_readable(ms); }
    // The steered server answers for 127.0.0.1.
    ReceiveResult receive(std::uint8_t* b, std::size_t n) override {
      ReceiveResult r = s_->receive(b, n);
      if (r.from == n_.localhost_goes_to) r.from = {{127, 0, 0, 1}};
      return r;
    }
    void shutdown_send() override { s_->shutdown_send(); }

   private:
    std::unique_ptr<UdpSocket> s_;
    SteeredNetwork& n_;
  };
};

struct Rig {
  WinClock clock;
  SteeredNetwork network;
  TIdSNTP sntp{network, clock};
  explicit Rig(const char* host) {
    sntp.SetHost(host);
    sntp.SetReceiveTimeout(1000);
  }
  double now() { return FieldsToDateTime(clock.local_time()); }
};

constexpr double kSecond = 1 / 86400.0;
// Local time is read to the millisecond.
constexpr double kMillisecond = kSecond / 1000;

// The server stamped its reply between two readings of local time taken
// around the exchange: `got` lies between them, `offset` seconds ahead.
::testing::AssertionResult StampedBetween(double got, double before, double after,
                                          double offset_seconds = 0) {
  const double low = before + offset_seconds * kSecond - kMillisecond;
  const double high = after + offset_seconds * kSecond + kMillisecond;
  if (got >= low && got <= high) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << (got - low) / kSecond << " s after the first reading, "
                                       << (high - low) / kSecond << " s allowed";
}

TEST(SntpExchange, GoodReplyGivesTheServerTimeInLocalTime) {
  SntpResponder server("127.0.0.2");
  server.answer_all(SntpAnswer::TrueTime(120));
  Rig rig("127.0.0.2");
  double before = rig.now();
  double got = rig.sntp.QueryTime();
  EXPECT_TRUE(StampedBetween(got, before, rig.now(), 120));
  ASSERT_EQ(server.request_count(), 1);
  std::vector<std::uint8_t> request = server.requests()[0].bytes;
  ASSERT_EQ(request.size(), 48u);
  EXPECT_EQ(request[0], 0x1B);
  EXPECT_TRUE(rig.network.lookups.empty());
}

TEST(SntpExchange, SilenceGivesZeroAfterTheReceiveTimeout) {
  SntpResponder server("127.0.0.3");
  server.answer_all(SntpAnswer::Silence());
  Rig rig("127.0.0.3");
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(rig.sntp.QueryTime(), 0.0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  EXPECT_EQ(server.request_count(), 1);
}

TEST(SntpExchange, ShortReplyGivesZeroAndLongReplyRaisesMessageTooLong) {
  SntpResponder server("127.0.0.4");
  SntpAnswer short_reply, long_reply;
  short_reply.length = 47;
  long_reply.length = 68;
  server.queue(short_reply);
  server.queue(long_reply);
  Rig rig("127.0.0.4");
  EXPECT_EQ(rig.sntp.QueryTime(), 0.0);
  try {
    rig.sntp.QueryTime();
    FAIL() << "no error";
  } catch (const EIdSocketError& e) {
    EXPECT_EQ(e.LastError(), 10040);
    EXPECT_STREQ(e.what(), "Socket Error # 10040\r\nMessage too long.");
  }
  EXPECT_TRUE(rig.sntp.Active());
}

TEST(SntpExchange, RejectedRepliesGiveZero) {
  SntpResponder server("127.0.0.9");
  SntpAnswer leap3, stratum0, stratum16, zero_time = SntpAnswer::Raw(0, 0);
  leap3.leap = 3;
  stratum0.stratum = 0;
  stratum16.stratum = 16;
  Rig rig("127.0.0.9");
  for (const SntpAnswer& answer : {leap3, stratum0, stratum16, zero_time}) {
    server.queue(answer);
    EXPECT_EQ(rig.sntp.QueryTime(), 0.0);
  }
  EXPECT_EQ(server.request_count(), 4);
}

// Only the address and port asked answer: a reply from another port of the
// server's address, or a forged one from another address before the real
// one, is dropped and the wait goes on.
TEST(SntpExchange, OnlyTheServerAskedAnswers) {
  SntpResponder server("127.0.0.5");
  SntpAnswer other_port = SntpAnswer::TrueTime();
  other_port.from_other_socket = true;
  SntpAnswer spoofed = SntpAnswer::TrueTime();
  spoofed.spoof_from = "127.0.0.15";
  spoofed.spoof_offset_seconds = 30;
  spoofed.delay_ms = 300;
  server.queue(other_port);
  server.queue(spoofed);
  Rig rig("127.0.0.5");
  EXPECT_EQ(rig.sntp.QueryTime(), 0.0);
  double before = rig.now();
  double got = rig.sntp.QueryTime();
  EXPECT_TRUE(StampedBetween(got, before, rig.now()));
}

TEST(SntpExchange, LocalhostIsSentTo127001WithoutALookUp) {
  SntpResponder server("127.0.0.6");
  Rig rig("LocalHost");
  rig.network.localhost_goes_to = {{127, 0, 0, 6}};
  EXPECT_GT(rig.sntp.QueryTime(), 1.0);
  EXPECT_TRUE(rig.network.lookups.empty());
  ASSERT_EQ(rig.network.sent_to.size(), 1u);
  EXPECT_EQ(rig.network.sent_to[0], (Ipv4Address{{127, 0, 0, 1}}));
}

TEST(SntpExchange, DottedTextWithAPartAbove255GoesToTheResolver) {
  SntpResponder server("127.0.0.7");
  Rig rig("1.2.3.256");
  rig.network.names["1.2.3.256"] = {{127, 0, 0, 7}};
  EXPECT_GT(rig.sntp.QueryTime(), 1.0);
  EXPECT_EQ(rig.network.lookups, std::vector<std::string>{"1.2.3.256"});
  EXPECT_EQ(server.request_count(), 1);
}

TEST(SntpExchange, UnknownNameRaisesTheResolverSocketError) {
  Rig rig("nohost.invalid");
  try {
    rig.sntp.QueryTime();
    FAIL() << "no error";
  } catch (const EIdSocketError& e) {
    // Host not found, or no name server to ask: either is the resolver's word.
    EXPECT_GE(e.LastError(), 11001) << e.what();
    EXPECT_LE(e.LastError(), 11004) << e.what();
    EXPECT_EQ(std::string(e.what()), "Socket Error # " + std::to_string(e.LastError()) + "\r\n");
  }
  EXPECT_TRUE(rig.network.sent_to.empty());
}

TEST(SntpExchange, EachCallIsAnExchangeAndClosingBetweenCallsOpensANewSocket) {
  SntpResponder server("127.0.0.8");
  Rig rig("127.0.0.8");
  rig.sntp.SetActive(true);
  EXPECT_GT(rig.sntp.QueryTime(), 1.0);
  EXPECT_GT(rig.sntp.QueryTime(), 1.0);
  rig.sntp.SetActive(false);
  EXPECT_GT(rig.sntp.QueryTime(), 1.0);
  EXPECT_TRUE(rig.sntp.Active());
  std::vector<tools::SntpRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].from_port, requests[1].from_port);
  EXPECT_NE(requests[1].from_port, requests[2].from_port);
}

}  // namespace
}  // namespace horalux
