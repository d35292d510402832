#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/net/time_page.h"
#include "core/base/date_time.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_tcp.h"
#include "tests/fakes/memory_files.h"

namespace horalux {
namespace {

const double kDec6 = EncodeDateTime(2026, 12, 6, 10, 4, 58, 0);

std::string Line(const std::string& date) {
  return "var t = Date.parse(\"" + date + "\");";
}

TEST(DateParseToDateTime, ReadsThePageLineOrGivesZero) {
  struct Case {
    std::string line;
    double expected;
  } cases[] = {
      {Line("Sun Dec 6 10:04:58 2026"), kDec6},
      {Line("Sun Dec  6 10:04:58 2026"), kDec6},
      {Line("Sun Dec 06 10:04:58 2026"), kDec6},
      {Line("Sun DEC 6 10:04:58 2026"), kDec6},
      {Line("Sun dec 6 10:04:58 2026"), kDec6},
      {Line("Sun December 6 10:04:58 2026"), 0},
      {Line("Sun, 06 Dec 2026 10:04:58"), 0},
      {Line("Sun Dec 6 10:04:58 2026 JST +0900"), kDec6},
      {Line("Sun,Dec,6,10:04:58,2026"), kDec6},
      {Line("Sun Dec 6 10:04:58.250 2026"), EncodeDateTime(2026, 12, 6, 10, 4, 58, 250)},
      {Line("Sun Dec 6 10:04:58PM 2026"), EncodeDateTime(2026, 12, 6, 22, 4, 58, 0)},
      {Line("Sun Dec 6 13:04:58PM 2026"), 0},
      {Line("Sun Dec 6 \"10:04:58 PM\" 2026"), EncodeDateTime(2026, 12, 6, 22, 4, 58, 0)},
      {Line("Sun Dec 6 \"PM 12:00\" 2026"), EncodeDateTime(2026, 12, 6, 12, 0, 0, 0)},
      {Line("Sun Feb 30 10:04:58 2026"), 0},
      {Line("Sun Feb 29 10:04:58 2028"), EncodeDateTime(2028, 2, 29, 10, 4, 58, 0)},
      {Line("Sun Dec 6 24:00:00 2026"), 0},
      {Line("Sun Dec 6 10:60:00 2026"), 0},
      {Line("Sun Dec 6 10:04:58.1000 2026"), 0},
      {Line("Sun Dec 6 10:04:58 10000"), 0},
      {Line("Sun Dec 6 10:04:58 0000"), 0},
      {Line("Sun Dec 6 10:04:58 99999999999999999999"), 0},
      {Line("Sun Dec 99999999999999999999 10:04:58 2026"), 0},
      {Line("Sun Dec 6 10:04:58 26"), kDec6},
      {Line("Sun Dec 6 2026"), 0},
      {Line("Sun Dec 6 10:04:58"), 0},
      {"Date.parse('Sun Dec 6 10:04:58 2026')", 0},
      {"x\")Date.parse(\"Sun Dec 6 10:04:58 2026", 0},
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(DateParseToDateTime(c.line), c.expected) << c.line;
}

TEST(DateParseItems, FollowTheSplitterRules) {
  struct Case {
    std::string text;
    std::vector<std::string> items;
  } cases[] = {
      {"  a  b\t\tc", {"a", "b", "c"}},
      {"a , b", {"a", "b"}},
      {"a,,b", {"a", "", "b"}},
      {"a,b,", {"a", "b"}},
      {"\"x y\" z", {"x y", "z"}},
      {"\"say \"\"hi\"\"\",z", {"say \"hi\"", "z"}},
      {"\x82\x60,\x8C\xDF b", {"\x82\x60", "\x8C\xDF", "b"}},
      {"\x83\x2C\x82\x60 b", {"\x83\x2C\x82\x60", "b"}},  // a trail byte that looks like a comma
      {"a\x01\x1f"
       "b",
       {"a", "b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitItems(c.text), c.items) << c.text;
}

TEST(DateParseLineSearch, TakesTheFirstQualifyingLineOnly) {
  struct Case {
    std::string body;
    double expected;
  } cases[] = {
      {"<html>\r\n" + Line("Sun Dec 6 10:04:58 2026") + "\r\n", kDec6},
      {"a\r" + Line("Sun Dec 6 10:04:58 2026") + "\nb", kDec6},
      {Line("Sun Dec 6 10:04:58") + "\n" + Line("Sun Dec 6 10:04:58 2026"), 0},
      {"var t = date.parse(\"Sun Dec 6 10:04:58 2026\");", 0},
      {std::string("x\0", 2) + Line("Sun Dec 6 10:04:58 2026"), 0},
      // "Date.parse" hidden behind a lead byte: its "D" is a trail byte.
      {"\x81"
       "Date.parse \":\n" +
           Line("Sun Dec 6 10:04:58 2026"),
       kDec6},
      {"", 0},
  };
  for (const Case& c : cases) {
    std::string line;
    double got = FindDateParseLine(c.body, line) ? DateParseToDateTime(line) : 0.0;
    EXPECT_EQ(got, c.expected) << c.body;
  }
}

// The page's line wins; without one, the Date of the reply that ended the
// chain.
TEST(GetHttpTime, GivesThePageTimeOrTheReplysDateOrZeroAndNeverRaises) {
  fakes::FakeClock clock;
  fakes::FakeTcpNetwork network{clock};
  fakes::ClockedPump pump{clock, network};
  fakes::MemoryFiles files;
  THttpClient client{network, pump, clock, files};
  network.hosts["jjy.nict.go.jp"] = Ipv4Address{{127, 0, 0, 71}};
  const std::string date = "Date: Sun, 06 Dec 2026 01:05:30 GMT";
  const double header = EncodeDateTime(2026, 12, 6, 10, 5, 30, 0);
  struct Case {
    std::string reply;
    double expected;
  } cases[] = {
      {"200 OK\r\n" + date + "\r\n\r\n" + Line("Sun Dec 6 10:04:58 2026"), kDec6},
      {"200 OK\r\n" + date + "\r\n\r\n" + Line("Sun Dec 6 10:04:58"), 0},
      {"404 Not Found\r\n" + date + "\r\n\r\nno page", header},
      {"404 Not Found\r\n\r\nno page", 0},
      {"410 Gone\r\n" + date + "\r\n\r\n", header},
      {"308 Permanent\r\nLocation: /y\r\n" + date + "\r\n\r\n", header},
      {"OK\r\n" + date + "\r\n\r\n" + Line("Sun Dec 6 10:04:58 2026"), 0},
      {"309 Odd\r\n" + date + "\r\n\r\n", 0},
      {"400 Bad Request\r\n" + date + "\r\n\r\n", 0},
      {"407 Proxy Authentication Required\r\n" + date + "\r\n\r\n", 0},
      {"503 Service Unavailable\r\n" + date + "\r\n\r\n" + Line("Sun Dec 6 10:04:58 2026"), 0},
      {"200 OK\r\n" + date + std::string(8200, ' ') + "\r\n\r\n", 0},
      {"301 Moved\r\nLocation: https://jjy.nict.go.jp/\r\n" + date + "\r\n\r\n", header},
      {"301 Moved\r\nLocation: http://jjy.nict.go.jp:x/\r\n" + date + "\r\n\r\n", 0},
      {"301 Moved\r\nLocation: https://jjy.nict.go.jp/\rX: 1\r\n" + date + "\r\n\r\n", 0},
  };
  for (const Case& c : cases) network.replies.push_back({"HTTP/1.0 " + c.reply});
  for (const Case& c : cases)
    EXPECT_EQ(GetHttpTime(client, TimePageUrl(""), 2026, ""), c.expected) << c.reply.substr(0, 50);
  EXPECT_FALSE(client.OutputFileMode);
  EXPECT_EQ(GetHttpTime(client, "https://x/", 2026, ""), 0.0);
  EXPECT_EQ(network.requests[0].substr(0, 30), "GET /cgi-bin/JST.cgi HTTP/1.0\r");
  // The header block goes to the file asked for, and nowhere when none is.
  files.add_folder("C:\\Settings");
  network.replies.push_back({"HTTP/1.0 200 OK\r\n\r\n" + Line("Sun Dec 6 10:04:58 2026")});
  EXPECT_EQ(GetHttpTime(client, TimePageUrl(""), 2026, "C:\\Settings\\Head.txt"), kDec6);
  EXPECT_FALSE(client.OutputFileMode);
  EXPECT_EQ(files.content("C:\\Settings\\Head.txt"), "HTTP/1.0 200 OK\r\n\r\n");
}

}  // namespace
}  // namespace horalux
