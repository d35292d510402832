// The HTTP time source of Horalux.exe under Wine: the standard-time page
// through a real proxy, a page without a time, and a server that never ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/base/version.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/http_rig.h"
#include "tests/e2e/sync_checks.h"

namespace horalux::e2e {
namespace {

using tools::HttpReply;
using Clock = std::chrono::steady_clock;

// The page's time line, or without one the Date of the reply that ended
// the fetch, also of a redirect the program cannot follow.
TEST(HttpSource, ConnectionTestFetchesThePageThroughTheProxy) {
  ASSERT_TRUE(InJapanTime()) << kNeedsJapanTime;
  const std::string no_time = "<HTML>no time</HTML>\r\n";
  const std::vector<std::string> tested = {"接続テストのみ実施", "接続成功( Http )"};
  const std::vector<std::string> corrected = {"接続テストで時刻を修正しました", ""};
  struct Row {
    HttpReply reply;
    const char* built;
    const char* correct;
    std::vector<std::string> lines;  // after the header; "" the report of the PC behind,
    double least = 0, most = 0;      // by these seconds
  } rows[] = {
      // 0.3 s ahead: a correction Wine carries out as a no-op, with a report of its own.
      {HttpReply::TimePage(300), "Horalux.exe", "0", tested},
      {HttpReply::TimePage(300), "Horalux.exe", "1", corrected, 0.1, 0.3},
      {HttpReply::Ok(no_time).WithDate(), "Horalux.exe", "0", tested},
      {HttpReply::Ok(no_time).WithDate(30000), "HoraluxSim.exe", "1", corrected, 29.5, 30.5},
      {HttpReply::Redirect("301 Moved", "https://jjy.nict.go.jp/").WithDate(), "Horalux.exe", "0",
       tested},
      {HttpReply::Ok(no_time),
       "Horalux.exe",
       "0",
       {"HTTP で時刻が取得できません(201)。", "インターネットには接続されていますか。",
        "< Fennick標準時１ >"}},
  };
  // One proxy for the whole test: Wine lets tinyproxy reach only the first
  // responder a test process opens.
  ProxiedResponder proxy;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.reply.head + row.built);
    proxy.responder().answer_all(row.reply);
    HttpCopy copy(
        "rbHTTP=1\r\nudChouseiHTTP=0\r\ncbSeimitsu=0\r\ncbNoCkProxy=1\r\ncbProxy=1\r\n"
        "edtProxy=127.0.0.1\r\n"
        "edtPort=" +
            std::to_string(proxy.proxy_port()) + "\r\ncbSetuzokuT=" + row.correct + "\r\n",
        row.built);
    Process app;
    Window main = copy.StartWindow(app);
    // Wine loses the driver's completion notice of a click whose handler
    // processes messages: the entry tells the end instead.
    main.PushButton("接続テスト").Click(Millis(0));
    WaitUntil([&] { return copy.Log().has_value(); }, "the entry", Millis(20000));
    main.Send(WM_NULL);

    const auto lines = Lines(copy.Log().value_or(""));
    ASSERT_EQ(lines.size(), row.lines.size() + 2) << copy.Log().value_or("(no log)");
    EXPECT_TRUE(lines[1].ends_with(" ]Fennick標準時１(Http)")) << lines[1];
    for (std::size_t i = 0; i < row.lines.size(); ++i) {
      const auto behind = SecondsBehind(lines[i + 2]);
      if (row.lines[i].empty())
        EXPECT_TRUE(behind && *behind >= row.least && *behind <= row.most) << lines[i + 2];
      else
        EXPECT_EQ(lines[i + 2], row.lines[i]);
    }
    const std::string head = copy.HeaderCopy().value_or("");
    EXPECT_TRUE(head.starts_with(row.reply.head.substr(0, 13))) << head;
    EXPECT_NE(head.find("\r\nVia: "), std::string::npos) << head;
    EXPECT_TRUE(head.ends_with("\r\n\r\n")) << head;
    EXPECT_FALSE(copy.HeaderCopyInWorkingFolder());
    main.Close();
    EXPECT_EQ(app.WaitExit(), 0u);
  }
}

// With the box ticked, further requests timed around the web server's second
// boundary find its clock to within 0.02 s, where one Date leaves anything
// up to a second. Below 0.5 s ahead, so that Wine's clock call succeeds.
TEST(HttpSource, TheMeasuredSecondBoundaryGivesTheServersOffset) {
  ASSERT_TRUE(InJapanTime()) << kNeedsJapanTime;
  constexpr double kAheadSeconds = 0.3;
  tools::HttpResponder page("127.0.0.71", 80);
  page.answer_all(HttpReply::Ok("<HTML>no time</HTML>\r\n").WithDateNow(kAheadSeconds * 1000));
  HttpCopy copy("rbHTTP=1\r\ncbNoCkProxy=1\r\ncbSeimitsu=1\r\ncbSetuzokuT=1\r\n");
  Process app;
  Window main = copy.StartWindow(app);
  main.PushButton("接続テスト").Click(Millis(0));
  WaitUntil([&] { return copy.Log().has_value(); }, "the entry", Millis(30000));
  main.Send(WM_NULL);
  const std::string entry = copy.Log().value_or("");
  std::printf("web server %.3f s ahead, %zu requests; the entry:\n%s\n", kAheadSeconds,
              page.requests().size(), entry.c_str());
  const auto lines = Lines(entry);
  ASSERT_EQ(lines.size(), 4u) << entry;
  const auto behind = SecondsBehind(lines[3]);
  ASSERT_TRUE(behind) << lines[3];
  EXPECT_NEAR(*behind, kAheadSeconds, 0.02);
  main.Close();
  EXPECT_EQ(app.WaitExit(), 0u);
}

// Straight to the page's host, which the hosts file of the test run puts on
// 127.0.0.71. A server that sends a byte every 9 s never lets the silence
// timer fire: only the overall deadline of 30 s ends the fetch.
TEST(HttpSource, NoTimeFromThePageGives201AndTheWindowAnswersMeanwhile) {
  HttpReply drip = HttpReply::Ok("<HTML>");
  drip.endless = true;
  drip.drip_ms = 9000;
  struct Row {
    const char* what;
    HttpReply reply;
  } rows[] = {{"a page without a Date.parse line", HttpReply::Ok("<HTML>no time</HTML>\r\n")},
              {"a server that drips", drip}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    tools::HttpResponder page("127.0.0.71", 80);
    page.answer_all(row.reply);
    HttpCopy copy("rbHTTP=1\r\ncbNoCkProxy=1\r\n");
    Process app;
    Window main = copy.StartWindow(app);
    const auto clicked = Clock::now();
    main.PushButton("接続テスト").Click(Millis(0));
    int answered = 0, unanswered = 0;
    const bool ended = PollUntil(
        [&] {
          DWORD_PTR result = 0;
          ++(SendMessageTimeoutW(main.handle(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)
                 ? answered
                 : unanswered);
          Sleep(1000);
          return copy.Log().has_value();
        },
        Millis(60000));
    const auto took = Clock::now() - clicked;
    ASSERT_TRUE(ended) << "no entry after a minute";
    EXPECT_EQ(unanswered, 0) << answered << " answered";
    // The deadline, and less than one more silence time of 10 s.
    EXPECT_LT(took, std::chrono::seconds(40));
    const auto lines = Lines(*copy.Log());
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
              (std::vector<std::string>{"HTTP で時刻が取得できません(201)。",
                                        "インターネットには接続されていますか。",
                                        "< Fennick標準時１ >"}));
    main.Close();
    EXPECT_EQ(app.WaitExit(), 0u);
  }
}

// Closing the window while the fetch waits on a server that never ends its
// reply ends the program at once: the settings saved, no box, exit code 0.
TEST(HttpSource, ClosingTheWindowWhileTheFetchWaitsEndsTheProgram) {
  tools::HttpResponder page("127.0.0.71", 80);
  HttpReply held = HttpReply::Ok("<HTML>");
  held.hold_open = true;
  page.answer_all(held);
  HttpCopy copy("rbHTTP=1\r\ncbNoCkProxy=1\r\n");
  Process app;
  Window main = copy.StartWindow(app);
  main.PushButton("接続テスト").Click(Millis(0));
  WaitUntil([&] { return !page.requests().empty(); }, "the request");
  main.Close();
  // Well before the 10 s of silence that would end the fetch by itself.
  EXPECT_EQ(app.WaitExit(Millis(5000)), 0u) << app.DescribeWindows();
  EXPECT_EQ(ReadIni(copy / "Horalux.ini", "Header", "Version"), kProgramVersion);
  EXPECT_FALSE(copy.Log().has_value()) << *copy.Log();
}

}  // namespace
}  // namespace horalux::e2e
