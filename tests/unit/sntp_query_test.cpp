#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/net/id_exceptions.h"
#include "core/net/sntp.h"
#include "core/base/date_time.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_udp.h"

namespace horalux {
namespace {

// 2006-08-31 09:00:00.500 in Japan.
const double kLocalNow = FieldsToDateTime({2006, 8, 4, 31, 9, 0, 0, 500});
constexpr double kDecodedHalfSecond = 38960.375005775466;

std::vector<std::uint8_t> Reply(std::uint8_t byte0 = 0x1C, std::uint8_t stratum = 2,
                                std::uint32_t seconds = 3365971200u,
                                std::uint32_t fraction = 0x80000000u, std::size_t size = 48) {
  std::vector<std::uint8_t> bytes(48, 0);
  bytes[0] = byte0;
  bytes[1] = stratum;
  for (int i = 0; i < 4; ++i) {
    bytes[40 + i] = static_cast<std::uint8_t>(seconds >> (24 - 8 * i));
    bytes[44 + i] = static_cast<std::uint8_t>(fraction >> (24 - 8 * i));
  }
  bytes.resize(size);
  return bytes;
}

struct Rig {
  fakes::FakeClock clock{kLocalNow};
  fakes::FakeUdpNetwork network;
  // The lowest sub-millisecond bits, so that a request is known to the byte.
  TIdSNTP sntp{network, clock, [] { return 0u; }};
  Rig() {
    sntp.SetHost("localhost");
    sntp.SetReceiveTimeout(1000);
  }
};

TEST(SntpQueryTime, SendsOneClientRequestStampedWithTheLocalClock) {
  Rig rig;
  rig.network.reply(Reply());
  rig.sntp.QueryTime();
  ASSERT_EQ(rig.network.sent.size(), 1u);
  const fakes::SentDatagram& sent = rig.network.sent[0];
  EXPECT_EQ(sent.to, (Ipv4Address{{127, 0, 0, 1}}));
  EXPECT_EQ(sent.port, 123);
  std::vector<std::uint8_t> want(48, 0);
  want[0] = 0x1B;
  // 500 ms: the lowest fraction that decodes to it, a little margin above.
  const std::uint8_t stamp[] = {0xC8, 0xA0, 0xA5, 0x00, 0x80, 0x00, 0x00, 0x41};
  std::copy(std::begin(stamp), std::end(stamp), want.begin() + 40);
  EXPECT_EQ(sent.bytes, want);
  EXPECT_EQ(rig.network.waits, std::vector<int>{1000});
}

TEST(SntpQueryTime, AcceptsOrRejectsTheReplyByLeapStratumAndTransmitTime) {
  struct Row {
    const char* name;
    std::vector<std::uint8_t> reply;
    double want;
  } rows[] = {
      {"good", Reply(), kDecodedHalfSecond},
      {"leap 1", Reply(0x5C), kDecodedHalfSecond},
      {"leap 2", Reply(0x9C), kDecodedHalfSecond},
      {"leap 3", Reply(0xDC), 0.0},
      {"version unchecked", Reply(0x24), kDecodedHalfSecond},
      {"stratum 0", Reply(0x1C, 0), 0.0},
      {"stratum 1", Reply(0x1C, 1), kDecodedHalfSecond},
      {"stratum 15", Reply(0x1C, 15), kDecodedHalfSecond},
      {"stratum 16", Reply(0x1C, 16), 0.0},
      {"stratum 255", Reply(0x1C, 255), 0.0},
      {"zero transmit time", Reply(0x1C, 2, 0, 0), 0.0},
      {"zero fraction only", Reply(0x1C, 2, 3365971200u, 0), 38960.375},
      {"47 bytes", Reply(0x1C, 2, 3365971200u, 0x80000000u, 47), 0.0},
      {"empty datagram", {}, 0.0},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.network.reply(row.reply);
    EXPECT_DOUBLE_EQ(rig.sntp.QueryTime(), row.want) << row.name;
  }
}

TEST(SntpQueryTime, DropsWhatDoesNotAnswerTheRequestAndTakesTheServerReplyThatFollows) {
  using Kind = fakes::ScriptedReply::Kind;
  const Ipv4Address server{{127, 0, 0, 1}};
  struct Row {
    const char* name;
    fakes::ScriptedReply stray;
  } rows[] = {
      {"another address", {Kind::Datagram, Reply(0x1C, 2, 3365971260u), {{10, 9, 9, 9}}, 123}},
      {"another port", {Kind::Datagram, Reply(0x1C, 2, 3365971260u), server, 40000}},
      {"wrong originate",
       {Kind::Datagram, Reply(0x1C, 2, 3365971260u), server, 123, 0, /*echo=*/false}},
      {"mode 3", {Kind::Datagram, Reply(0x1B, 2, 3365971260u), server, 123}},
      {"68 bytes from another address",
       {Kind::Datagram, Reply(0x1C, 2, 3365971260u, 0, 68), {{10, 9, 9, 9}}, 123}},
      {"68 bytes that echo nothing",
       {Kind::Datagram, Reply(0x1C, 2, 3365971260u, 0, 68), server, 123, 0, false}},
      {"47 bytes", {Kind::Datagram, Reply(0x1C, 2, 3365971260u, 0, 47), server, 123}},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.network.replies.push_back(row.stray);
    rig.network.reply(Reply());
    EXPECT_DOUBLE_EQ(rig.sntp.QueryTime(), kDecodedHalfSecond) << row.name;
    EXPECT_EQ(rig.network.waits, (std::vector<int>{1000, 1000})) << row.name;
  }
}

TEST(SntpQueryTime, StrayDatagramsUseUpOnlyTheRestOfTheReceiveTimeout) {
  Rig rig;
  rig.network.reply(Reply(0x1B));
  rig.network.reply(Reply(0x1B));
  // Each stray arrives 400 ms into the wait.
  rig.network.on_wait = [&] { rig.clock.advance_ms(400); };
  EXPECT_EQ(rig.sntp.QueryTime(), 0.0);
  EXPECT_EQ(rig.network.waits, (std::vector<int>{1000, 600, 200}));
}

TEST(SntpQueryTime, RequestStampHidesRandomBitsBelowItsMillisecond) {
  fakes::FakeClock clock{kLocalNow};
  fakes::FakeUdpNetwork network;
  TIdSNTP sntp(network, clock);
  sntp.SetHost("localhost");
  sntp.QueryTime();
  sntp.QueryTime();
  ASSERT_EQ(network.sent.size(), 2u);
  std::vector<NtpTimestamp> stamps;
  for (const auto& sent : network.sent) {
    auto field = [&](std::size_t at) {
      return static_cast<std::uint32_t>(sent.bytes[at]) << 24 | sent.bytes[at + 1] << 16 |
             sent.bytes[at + 2] << 8 | sent.bytes[at + 3];
    };
    stamps.push_back({field(40), field(44)});
    EXPECT_EQ(DateTimeToFields(DecodeNtpTimestamp(stamps.back(), -0.375)).millisecond, 500);
    EXPECT_EQ(stamps.back().seconds, 3365971200u);
  }
  EXPECT_NE(stamps[0].fraction, stamps[1].fraction);
  // Every millisecond of a second keeps its own, whatever bits are drawn.
  for (std::uint32_t ms : {0u, 1u, 499u, 500u, 998u, 999u}) {
    const double local = FieldsToDateTime({2006, 8, 4, 31, 9, 0, 0, static_cast<int>(ms)});
    for (std::uint32_t bits : {0u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
      NtpTimestamp stamp = WithUnguessableFraction(EncodeNtpTimestamp(local, -0.375), bits);
      EXPECT_EQ(stamp.seconds, 3365971200u) << ms;
      EXPECT_EQ(DateTimeToFields(DecodeNtpTimestamp(stamp, -0.375)).millisecond,
                static_cast<int>(ms))
          << ms << " " << bits;
    }
  }
}

TEST(SntpQueryTime, NoUsableReplyInTimeGivesZeroWithoutError) {
  using Kind = fakes::ScriptedReply::Kind;
  for (Kind kind : {Kind::Silence, Kind::WaitFails}) {
    Rig rig;
    rig.network.replies.push_back({kind, {}, {}, 0, 0});
    EXPECT_EQ(rig.sntp.QueryTime(), 0.0);
    EXPECT_TRUE(rig.sntp.Active());
  }
}

TEST(SntpQueryTime, WaitsAsTheReceiveTimeoutSays) {
  struct Row {
    int receive_timeout;
    int port_wait;  // negative: without limit
  } rows[] = {{1000, 1000}, {0, 0}, {-2, -1}, {-1, -1}};
  for (const Row& row : rows) {
    Rig rig;
    rig.sntp.SetReceiveTimeout(row.receive_timeout);
    rig.sntp.QueryTime();
    EXPECT_EQ(rig.network.waits, std::vector<int>{row.port_wait}) << row.receive_timeout;
  }
  fakes::FakeClock clock;
  fakes::FakeUdpNetwork network;
  TIdSNTP fresh(network, clock);
  fresh.SetHost("127.0.0.1");
  fresh.QueryTime();
  EXPECT_EQ(network.waits, std::vector<int>{-1}) << "class default waits without limit";
}

TEST(SntpQueryTime, SocketFailuresRaiseTheirErrorsAndLeaveTheSocketOpen) {
  struct Row {
    const char* name;
    void (*script)(fakes::FakeUdpNetwork&);
    const char* message;
    int number;  // EIdSocketError's number, 0 for other classes
  } rows[] = {
      {"reply with an authenticator",
       [](fakes::FakeUdpNetwork& n) { n.reply(Reply(0x1C, 2, 3365971200u, 0x80000000u, 68)); },
       "Socket Error # 10040\r\nMessage too long.", 10040},
      {"receive fails: the server's port refused",
       [](fakes::FakeUdpNetwork& n) {
         n.replies.push_back({fakes::ScriptedReply::Kind::ReceiveFails, {}, {}, 0, 10061});
       },
       "Socket Error # 10061\r\nConnection refused.", 10061},
      {"send too long",
       [](fakes::FakeUdpNetwork& n) {
         n.sends.push_back({10040, 0});
       },
       "Package Size Too Big.", 0},
      {"send fails",
       [](fakes::FakeUdpNetwork& n) {
         n.sends.push_back({10065, 0});
       },
       "Socket Error # 10065\r\nNo route to host.", 10065},
      {"short send",
       [](fakes::FakeUdpNetwork& n) {
         n.sends.push_back({0, 47});
       },
       "Not all bytes sent.", 0},
  };
  for (const Row& row : rows) {
    Rig rig;
    row.script(rig.network);
    try {
      rig.sntp.QueryTime();
      ADD_FAILURE() << row.name << ": no error";
    } catch (const EIdSocketError& e) {
      EXPECT_EQ(e.LastError(), row.number) << row.name;
      EXPECT_EQ(std::string(e.what()), row.message) << row.name;
    } catch (const EIdSocketHandleError& e) {
      EXPECT_EQ(row.number, 0) << row.name;
      EXPECT_EQ(std::string(e.what()), row.message) << row.name;
    }
    EXPECT_TRUE(rig.sntp.Active()) << row.name;
    EXPECT_EQ(rig.network.open_sockets(), 1) << row.name;
  }
}

TEST(SntpQueryTime, UnopenableSocketRaisesInvalidSocket) {
  Rig rig;
  rig.network.open_error = 10024;
  EXPECT_THROW(
      {
        try {
          rig.sntp.QueryTime();
        } catch (const EIdInvalidSocket& e) {
          EXPECT_STREQ(e.what(), "Cannot allocate socket.");
          throw;
        }
      },
      EIdInvalidSocket);
  EXPECT_FALSE(rig.sntp.Active());
}

TEST(SntpQueryTime, ResolvesOnlyNamesThatAreNeitherLocalhostNorADottedQuad) {
  struct Row {
    const char* host;
    bool looked_up;
    Ipv4Address sent_to;
  } rows[] = {
      {"localhost", false, {{127, 0, 0, 1}}},  {"LocalHost", false, {{127, 0, 0, 1}}},
      {"LOCALHOST", false, {{127, 0, 0, 1}}},  {"127.0.0.5", false, {{127, 0, 0, 5}}},
      {"0.0.0.0", false, {{0, 0, 0, 0}}},      {"255.255.255.255", false, {{255, 255, 255, 255}}},
      {"010.001.0.9", false, {{10, 1, 0, 9}}}, {"1.2.3.256", true, {{10, 0, 0, 1}}},
      {"1.2.3", true, {{10, 0, 0, 1}}},        {"1.2.3.4.5", true, {{10, 0, 0, 1}}},
      {"1..3.4", true, {{10, 0, 0, 1}}},       {"1.2.3.-4", true, {{10, 0, 0, 1}}},
      {"localhost.", true, {{10, 0, 0, 1}}},   {"ntp.example.jp", true, {{10, 0, 0, 1}}},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.network.hosts[row.host] = {{10, 0, 0, 1}};
    rig.sntp.SetHost(row.host);
    rig.sntp.QueryTime();
    EXPECT_EQ(rig.network.lookups.size(), row.looked_up ? 1u : 0u) << row.host;
    ASSERT_EQ(rig.network.sent.size(), 1u) << row.host;
    EXPECT_EQ(rig.network.sent[0].to, row.sent_to) << row.host;
  }
}

TEST(SntpQueryTime, FailedLookUpRaisesTheResolverError) {
  Rig rig;
  rig.sntp.SetHost("nohost.invalid");
  try {
    rig.sntp.QueryTime();
    FAIL() << "no error";
  } catch (const EIdSocketError& e) {
    EXPECT_EQ(e.LastError(), 11001);
    EXPECT_STREQ(e.what(), "Socket Error # 11001\r\n");
  }
  EXPECT_TRUE(rig.network.sent.empty());
}

TEST(SntpQueryTime, ResolvesTheHostAgainAtEveryExchange) {
  Rig rig;
  rig.sntp.SetHost("ntp.example.jp");
  rig.network.hosts["ntp.example.jp"] = {{10, 0, 0, 1}};
  rig.sntp.QueryTime();
  rig.network.hosts["ntp.example.jp"] = {{10, 0, 0, 2}};
  rig.sntp.QueryTime();
  ASSERT_EQ(rig.network.sent.size(), 2u);
  EXPECT_EQ(rig.network.sent[1].to, (Ipv4Address{{10, 0, 0, 2}}));
}

TEST(SntpQueryTime, UnreadableTimeZoneRaisesBeforeAnythingIsSent) {
  Rig rig;
  rig.clock.zone.kind = TimeZoneReport::Kind::Failed;
  rig.clock.zone.error_text = "The parameter is incorrect.";
  EXPECT_THROW(rig.sntp.QueryTime(), EIdException);
  EXPECT_TRUE(rig.network.sent.empty());
}

TEST(SntpQueryTime, TwoCallsMakeTwoExchangesWithFreshRequests) {
  Rig rig;
  rig.network.reply(Reply());
  rig.network.reply(Reply(0x1C, 2, 3365971201u, 0));
  EXPECT_DOUBLE_EQ(rig.sntp.QueryTime(), kDecodedHalfSecond);
  rig.clock.advance_ms(1500);
  EXPECT_DOUBLE_EQ(rig.sntp.QueryTime(), 38960.375 + 1 / 86400.0);
  ASSERT_EQ(rig.network.sent.size(), 2u);
  EXPECT_EQ(rig.network.sent[1].bytes[43], 0x02) << "stamped one second later";
  EXPECT_EQ(rig.network.sent[1].bytes[44], 0x00);
  EXPECT_EQ(rig.network.sockets.size(), 1u) << "the socket is kept between calls";
}

TEST(SntpActive, ClosingBetweenCallsMakesTheNextCallOpenANewSocketThatStaysOpen) {
  Rig rig;
  rig.sntp.SetActive(true);
  rig.sntp.QueryTime();
  rig.sntp.SetActive(false);
  ASSERT_EQ(rig.network.sockets.size(), 1u);
  EXPECT_TRUE(rig.network.sockets[0]->shut_down);
  EXPECT_TRUE(rig.network.sockets[0]->closed);
  EXPECT_FALSE(rig.sntp.Active());

  rig.sntp.QueryTime();
  ASSERT_EQ(rig.network.sockets.size(), 2u);
  EXPECT_EQ(rig.network.sent[1].socket, 1);
  EXPECT_TRUE(rig.sntp.Active());
  EXPECT_FALSE(rig.network.sockets[1]->closed);
}

TEST(SntpActive, DestroyingTheComponentShutsItsSocketDown) {
  fakes::FakeClock clock;
  fakes::FakeUdpNetwork network;
  {
    TIdSNTP sntp(network, clock);
    sntp.SetActive(true);
  }
  ASSERT_EQ(network.sockets.size(), 1u);
  EXPECT_TRUE(network.sockets[0]->shut_down);
  EXPECT_TRUE(network.sockets[0]->closed);
}

TEST(SntpBroadcast, OptionIsSetAtOpeningAndFollowsChangesWhileOpen) {
  Rig rig;
  rig.sntp.SetBroadcastEnabled(true);
  rig.sntp.SetActive(true);
  rig.sntp.SetBroadcastEnabled(false);
  rig.sntp.SetActive(false);
  rig.sntp.SetBroadcastEnabled(true);
  rig.sntp.SetBroadcastEnabled(false);
  rig.sntp.QueryTime();
  ASSERT_EQ(rig.network.sockets.size(), 2u);
  EXPECT_EQ(rig.network.sockets[0]->broadcast, (std::vector<bool>{true, false}));
  EXPECT_EQ(rig.network.sockets[1]->broadcast, (std::vector<bool>{false}));
}

}  // namespace
}  // namespace horalux
