// The connection test of Horalux.exe under Wine against a test responder
// given by hand: what the button "接続テスト" leaves in the access log, in the
// view and in "Jikoku.txt", and the boxes it shows on the way.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/e2e/sync_checks.h"
#include "tools/lib/sntp_responder.h"

namespace horalux::e2e {
namespace {

using tools::SntpAnswer;
using tools::SntpResponder;

constexpr char kLogTab[] = " アクセス記録 ";

// The [Jikoku] lines that give the server by hand.
std::string HandGiven(std::string_view server) {
  return "cbSNTP=1\r\nedtSNTP=" + std::string(server) + "\r\n";
}

// A copy of a built program with the given [Jikoku] lines.
struct JikokuCopy : ProgramCopy {
  JikokuCopy(std::string_view settings, std::string_view built)
      : ProgramCopy("[Jikoku]\r\n" + std::string(settings), {.built = built}) {}
  // The lines of "Jikoku.txt"; none when it is missing.
  std::optional<std::vector<std::string>> LogLines() const {
    auto text = Log();
    if (!text) return std::nullopt;
    return Lines(*text);
  }
};

// The read-only multi-line view on the access-log tab.
Window LogView(const Window& main) {
  std::vector<Window> views;
  for (const auto& edit : main.Controls({.cls = "Edit"})) {
    const LONG style = GetWindowLongW(edit.handle(), GWL_STYLE);
    if ((style & ES_MULTILINE) && (style & ES_READONLY)) views.push_back(edit);
  }
  if (views.size() != 1) throw DriverError("no single log view in\n" + main.DescribeTree());
  return views.front();
}

std::string DateText(const SYSTEMTIME& day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04u/%02u/%02u", day.wYear, day.wMonth, day.wDay);
  return text;
}

// The entry's header "[ yyyy/mm/dd(aaa) h:mm:ss ]任意設定(NTP/SNTP)" for a
// cycle started on one of `days`, aaa being that day's short weekday name.
void ExpectHeader(const std::string& line, const std::vector<SYSTEMTIME>& days) {
  static const std::regex header(
      R"(\[ ([0-9]{4}/[0-9]{2}/[0-9]{2})\((.+)\) [0-9]{1,2}:[0-9]{2}:[0-9]{2} \]任意設定\(NTP/SNTP\))");
  std::smatch parts;
  ASSERT_TRUE(std::regex_match(line, parts, header)) << line;
  for (const auto& day : days) {
    if (parts[1] != DateText(day)) continue;
    wchar_t weekday[16] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, 0, &day, L"ddd", weekday, 16);
    EXPECT_EQ(parts[2], Narrow(weekday)) << line;
    return;
  }
  ADD_FAILURE() << "header of another day: " << line;
}

// A box the connection test shows, and the button the user presses.
struct ExpectedBox {
  const char* title;
  const char* text;
  const char* press;
  int default_button;
};

TEST(ConnectionTest, LogsTheOutcomeOfEachDifferenceFromTheServer) {
  ASSERT_TRUE(InJapanTime()) << kNeedsJapanTime;
  struct Row {
    const char* what;
    double server_ahead_seconds;
    std::optional<ExpectedBox> box;
    // The entry's lines after its empty line and header.
    std::vector<std::string> lines;
  };
  // Wine's clock call succeeds, changing nothing, within 0.5 s of the true
  // time and fails beyond; the fine adjustment puts the fetched time 0.2 s ahead.
  const Row rows[] = {
      {"true time",
       0,
       std::nullopt,
       {"接続テストで時刻を修正しました", "以前の時刻は、取得した時刻より 0.20 秒遅れていました"}},
      {"2 s ahead, beyond what the clock call takes",
       2,
       ExpectedBox{
           "Horalux",
           "時刻の設定で、エラーがありました(308)。\r\n\r\n時刻を必ずチェックしてください。", "OK",
           IDOK},
       // Wine refuses such a step as Windows refuses a program that is not elevated.
       {"接続テストで時刻を修正しました", "※※※注意※※※  時刻設定エラー(307)",
        "時刻を設定する権限がありません。管理者として実行してください（Readme.txt 参照）。"}},
      {"100 s ahead, above the tolerance, declined",
       100,
       ExpectedBox{"確認", "取得時刻との差が100秒あります。\r\n内蔵時計の時刻を修正しますか？",
                   "いいえ", IDNO},
       {"取得時刻との差が100秒ありましたが、", "内蔵時計の時刻は修正いたしません(304)。"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    auto responder = Responder("127.0.0.30");
    responder->answer_all(SntpAnswer::TrueTime(row.server_ahead_seconds));
    JikokuCopy copy(HandGiven("127.0.0.30"), "Horalux.exe");
    Process app = copy.Start();
    Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});

    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    const Settled pressed = main.PushButton("接続テスト").Click();
    // The program has read the PC clock once it shows a box or the entry.
    std::optional<std::chrono::steady_clock::time_point> seen;
    if (row.box) {
      ASSERT_EQ(pressed, Settled::Blocked);
      MessageBoxWindow box = app.WaitMessageBox();
      seen = std::chrono::steady_clock::now();
      EXPECT_EQ(box.Title(), row.box->title);
      EXPECT_EQ(box.Text(), row.box->text);
      EXPECT_EQ(DefaultButton(box), row.box->default_button);
      box.Press(row.box->press);
    } else {
      EXPECT_EQ(pressed, Settled::Done);
    }
    // The handler has finished once the view shows the entry, which comes whole.
    Window view = LogView(main);
    WaitUntil([&] { return Lines(view.Text()).size() > 2; }, "the entry in the log view");
    if (!seen) seen = std::chrono::steady_clock::now();
    GetLocalTime(&after);

    Window tabs = main.Control({.cls = "SysTabControl32"});
    EXPECT_EQ(tabs.TabCaptions().at(tabs.SelectedTab()), kLogTab);
    const auto shown = Lines(view.Text());
    ASSERT_EQ(shown.size(), row.lines.size() + 2) << view.Text();
    EXPECT_EQ(shown[0], "");
    ExpectHeader(shown[1], {before, after});
    EXPECT_TRUE(SameLogLines({shown.begin() + 2, shown.end()}, row.lines,
                             MeasuredReadDelay(*responder, *seen)));
    EXPECT_EQ(copy.LogLines(), shown) << "Jikoku.txt differs from the view";
    // One attempt: two exchanges with the hand-given server.
    EXPECT_EQ(responder->request_count(), 2);

    main.Close();
    EXPECT_EQ(app.WaitExit(), 0u);
  }
}

// A neighbour answering for the server: a forged reply from 127.0.0.2, 30 s
// ahead (a step Wine's clock call would refuse), that reaches the program's
// port before the server's own; or a 68-byte datagram from there during the
// second exchange. Neither sets the time nor ends the cycle: the entry is
// the server's.
TEST(ConnectionTest, DatagramsFromAnotherAddressChangeNothing) {
  ASSERT_TRUE(InJapanTime()) << kNeedsJapanTime;
  SntpAnswer forged = SntpAnswer::TrueTime();
  forged.spoof_from = "127.0.0.2";
  forged.spoof_offset_seconds = 30;
  // The server's reply this late leaves the PC about 0.15 s ahead after the
  // 200 ms fine adjustment: clear of the 0.1 s line and of Wine's 0.5 s.
  forged.delay_ms = 350;
  SntpAnswer oversized = forged;
  oversized.spoof_length = 68;
  const struct {
    const char* what;
    SntpAnswer first, second;
  } rows[] = {
      {"forged 48-byte replies first", forged, forged},
      {"68 bytes in the second exchange", SntpAnswer::TrueTime(), oversized},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    auto responder = Responder("127.0.0.33");
    responder->queue(row.first);
    responder->queue(row.second);
    JikokuCopy copy(HandGiven("127.0.0.33"), "Horalux.exe");
    Process app = copy.Start();
    Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
    EXPECT_EQ(main.PushButton("接続テスト").Click(), Settled::Done) << app.DescribeWindows();
    Window view = LogView(main);
    WaitUntil([&] { return Lines(view.Text()).size() > 2; }, "the entry in the log view");
    const auto shown = Lines(view.Text());
    std::printf("%s:%s\n", row.what, view.Text().c_str());
    ASSERT_EQ(shown.size(), 4u) << view.Text();
    // The forged 30 s would have failed the clock call (307): the server's
    // own time, within a second, set it.
    EXPECT_EQ(shown[2], "接続テストで時刻を修正しました");
    EXPECT_TRUE(std::regex_match(
        shown[3],
        std::regex("以前の時刻は、取得した時刻より 0\\.[0-9]{2} 秒(遅れて|進んで)いました")))
        << shown[3];
    EXPECT_EQ(responder->request_count(), 2);
    main.Close();
    EXPECT_EQ(app.WaitExit(), 0u);
  }
}

// On a simulated clock a correction beyond Wine's half second takes effect:
// a second test then finds the clock agreeing with the server.
TEST(ConnectionTest, AcceptedLargeDifferenceCorrectsTheClock) {
  ASSERT_TRUE(InJapanTime()) << kNeedsJapanTime;
  auto responder = Responder("127.0.0.31");
  responder->answer_all(SntpAnswer::TrueTime(100));
  JikokuCopy copy(HandGiven("127.0.0.31"), "HoraluxSim.exe");
  Process app = copy.Start();
  Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
  Window button = main.PushButton("接続テスト");
  Window view = LogView(main);

  ASSERT_EQ(button.Click(), Settled::Blocked);
  MessageBoxWindow question = app.WaitMessageBox();
  const ReadDelay delay = MeasuredReadDelay(*responder, std::chrono::steady_clock::now());
  EXPECT_EQ(question.Text(), "取得時刻との差が100秒あります。\r\n内蔵時計の時刻を修正しますか？");
  question.Press("はい");
  WaitUntil([&] { return Lines(view.Text()).size() > 2; }, "the first entry");
  const auto first = Lines(view.Text());
  ASSERT_EQ(first.size(), 5u) << view.Text();
  EXPECT_TRUE(SameLogLines(
      {first.begin() + 2, first.end()},
      {"取得時刻との差は設定より大きいですが、確認されましたので修正します。",
       "接続テストで時刻を修正しました", "以前の時刻は、取得した時刻より 100.20 秒遅れていました"},
      delay));

  main.Control({.cls = "SysTabControl32"}).SelectTab("　　基本設定　　");
  EXPECT_EQ(button.Click(), Settled::Done) << "a question although the clock was corrected";
  WaitUntil([&] { return Lines(view.Text()).size() > 5; }, "the second entry");
  const auto second = Lines(view.Text());
  ASSERT_EQ(second.size(), 9u) << view.Text();
  EXPECT_EQ(second[7], "接続テストで時刻を修正しました");
  EXPECT_TRUE(std::regex_match(
      second[8], std::regex("以前の時刻は、取得した時刻と(合っていました\\(0\\.01秒以内\\)|"
                            "ほぼ合っていました（0\\.1秒以内 \\[-?0\\.[0-9]{2}\\]\\))")))
      << second[8];
  EXPECT_EQ(copy.LogLines(), second);
  EXPECT_EQ(responder->request_count(), 4);

  main.Close();
  EXPECT_EQ(app.WaitExit(), 0u);
}

// The automatic servers under their built-in names, which the test run's
// hosts file points at 127.0.0.61 to 127.0.0.64: an attempt whose server
// stays silent costs two receive time-outs, and the next server follows a
// 1-second pause. One native responder holds the four addresses, each reply
// leaving from the address it was asked at.
TEST(ConnectionTest, AutomaticServersMoveOnPastSilentOnesAndTagTheReportWithTheAttempt) {
  using Clock = std::chrono::steady_clock;
  struct Row {
    const char* answering;
    const char* tag;
    std::vector<std::string> sent_to;
  } rows[] = {
      {"127.0.0.62", "[2]", {"127.0.0.61", "127.0.0.61", "127.0.0.62", "127.0.0.62"}},
      {"127.0.0.63",
       "[3]",
       {"127.0.0.61", "127.0.0.61", "127.0.0.62", "127.0.0.62", "127.0.0.63", "127.0.0.63"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.tag);
    auto servers =
        Responder(std::vector<std::string>{"127.0.0.61", "127.0.0.62", "127.0.0.63", "127.0.0.64"});
    servers->answer_all(SntpAnswer::Silence());
    servers->answer_at(row.answering, SntpAnswer::TrueTime());
    JikokuCopy copy("cbSNTP=0\r\n", "Horalux.exe");
    Process app = copy.Start();
    Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
    Window view = LogView(main);

    const auto clicked = Clock::now();
    ASSERT_EQ(main.PushButton("接続テスト").Click(Millis(30000)), Settled::Done);
    WaitUntil([&] { return !Lines(view.Text()).empty(); }, "the entry");
    const auto lines = Lines(view.Text());
    EXPECT_TRUE(lines.back().starts_with("以前の時刻は、") && lines.back().ends_with(row.tag))
        << view.Text();
    std::vector<std::string> sent_to;
    for (const auto& request : servers->requests()) sent_to.push_back(request.to);
    EXPECT_EQ(sent_to, row.sent_to);
    // Each silent server: two exchanges of 1 s, then a 1 s pause.
    const auto answered = servers->answer_times();
    ASSERT_FALSE(answered.empty());
    const auto silent_servers = static_cast<int>(row.sent_to.size() / 2 - 1);
    EXPECT_GE(answered.front() - clicked, std::chrono::seconds(3 * silent_servers));

    main.Close();
    EXPECT_EQ(app.WaitExit(), 0u);
  }
}

}  // namespace
}  // namespace horalux::e2e
