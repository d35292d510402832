#include "core/engine/sync_engine.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "core/engine/report_line.h"
#include "core/base/date_time.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_log_view.h"
#include "tests/fakes/fake_pump.h"
#include "tests/fakes/fake_sntp.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/memory_files.h"

namespace horalux {
namespace {

using fakes::FakeSntp;

const double kPcNow = EncodeDateTime(2006, 8, 31, 9, 0, 1, 0);
constexpr double kSecond = 1.0 / 86400.0;

// A standard-time page that states a fixed time (0.0: no time found).
struct FixedPage : StandardTimePage {
  PageTime FetchTime(SyncMode) override {
    if (auto wait = std::exchange(during_wait, nullptr)) wait();
    return {time};
  }
  PageTime FetchTimeAt(std::int64_t) override { return {}; }
  double time = 0.0;
  // Runs once inside the fetch's wait, as a window event would.
  std::function<void()> during_wait;
};

// A proxy look that may select HTTP on the screen, then gives its outcome.
struct ScriptedPrecheck : ProxyPrecheck {
  explicit ScriptedPrecheck(JikokuScreen& s) : screen(s) {}
  Outcome Run() override {
    ++runs;
    if (during_run) during_run();
    if (select_http) screen.rbHTTP.SetChecked(true);
    return outcome;
  }
  JikokuScreen& screen;
  std::function<void()> during_run;  // a window event inside the look
  Outcome outcome = Outcome::GoOn;
  bool select_http = false;
  int runs = 0;
};

struct EngineRig {
  fakes::FakeClock clock{kPcNow};
  fakes::FakePump pump;
  fakes::MemoryFiles files;
  fakes::IconvCodec codec;
  fakes::FakeLocale locale;
  fakes::FakeLogView view;
  fakes::FakeBoxes boxes;
  JikokuScreen screen;
  bool resident = false;
  struct Run : RunKind {
    explicit Run(const bool& r) : resident(r) {}
    bool IsResidentRun() const override { return resident; }
    const bool& resident;
  } run{resident};
  AccessLog log{
      {files, codec, clock, locale, view}, screen, [] { return false; }, [] { return false; }};
  FakeSntp sntp{clock};
  TTimer watchdog{pump, 1, 180000};
  struct Icon : CycleIcon {
    std::vector<std::string> tips;
    void ShowWithTip(const std::string& tip) override { tips.push_back(tip); }
  } icon;
  FixedPage page;
  ScriptedPrecheck precheck{screen};
  SyncEngine engine{{clock, boxes, locale, screen, log, sntp, watchdog, run, icon},
                    {&page, &precheck}};

  EngineRig() {
    log.logFilePath = "C:\\Apps\\Horalux\\Jikoku.txt";
    engine.TakeClockAnchor();
  }
  // Both exchanges of one attempt answer with this local time.
  void Answer(double local) {
    sntp.script.push_back(FakeSntp::Time(local));
    sntp.script.push_back(FakeSntp::Time(local));
  }
  // The server's local time that makes the PC `ahead_seconds` ahead once the
  // 200 ms fine adjustment is added.
  void AnswerDifference(double ahead_seconds) { Answer(kPcNow - (ahead_seconds + 0.2) * kSecond); }
  std::string Log() { return view.text(); }
  std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (auto& b : boxes.shown) texts.push_back(b.text);
    return texts;
  }
};

std::string Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos ? ""
                                                    : "missing: " + needle + "\nin: " + haystack;
}

TEST(SyncCycle, CorrectsByTheFetchedTimeAndReportsTheDifference) {
  EngineRig rig;
  rig.Answer(EncodeDateTime(2006, 8, 31, 9, 0, 0, 0));
  rig.engine.btnJikkouClick();
  ASSERT_EQ(rig.clock.sets.size(), 1u);
  const SystemTimeFields& set = rig.clock.sets[0];
  EXPECT_EQ((std::vector<int>{set.year, set.month, set.day, set.hour, set.minute, set.second,
                              set.millisecond}),
            (std::vector<int>{2006, 8, 31, 0, 0, 0, 200}));
  EXPECT_EQ(Contains(rig.Log(),
                     "[ 2006/08/31(木) 9:00:01 ]自動設定(NTP/SNTP)\r\n"
                     "接続テストで時刻を修正しました\r\n"
                     "以前の時刻は、取得した時刻より 0.80 秒進んでいました"),
            "");
  EXPECT_FALSE(rig.engine.busy);
  EXPECT_FALSE(rig.sntp.active);
  EXPECT_EQ(rig.screen.PageControl1.ActivePage(), &rig.screen.tsJMemo);
  EXPECT_TRUE(rig.files.has_file("C:\\Apps\\Horalux\\Jikoku.txt"));
  // The next comparison starts from the corrected clock.
  EXPECT_NEAR(rig.engine.PreciseNow(), EncodeDateTime(2006, 8, 31, 9, 0, 0, 200),
              0.5 / kMillisecondsPerDay);
}

// A thread held up between reading the counter and the clock (a busy PC at
// logon) must not shift the PC time every later comparison starts from, nor
// may the clock's part below the millisecond be lost.
TEST(SyncCycle, ClockAnchorIsNotShiftedByAPauseBetweenItsReads) {
  EngineRig rig;
  rig.clock.advance_ms(0.7);
  rig.clock.pauses_before_read = {300};
  rig.engine.TakeClockAnchor();
  rig.clock.advance_ms(1000);
  EXPECT_NEAR(rig.engine.PreciseNow(), rig.clock.local_now(), 0.05 / kMillisecondsPerDay);
}

TEST(SyncCycle, TimeZoneAdjustmentIsAddedToTheFetchedTime) {
  struct Row {
    const char* edtJisa;
    int minute, second;  // of the time set, 00:00:00.200 UTC before the adjustment
  } rows[] = {{"0", 0, 0}, {"30", 0, 30}, {"-30", 59, 30}, {"-", 0, 0}, {"", 0, 0}};
  for (const Row& row : rows) {
    EngineRig rig;
    rig.screen.edtJisa.SetText(row.edtJisa);
    rig.Answer(EncodeDateTime(2006, 8, 31, 9, 0, 0, 0));
    EXPECT_TRUE(rig.engine.SyncClock(SyncMode::ConnectionTest)) << row.edtJisa;
    ASSERT_EQ(rig.clock.sets.size(), 1u) << row.edtJisa;
    EXPECT_EQ(rig.clock.sets[0].minute, row.minute) << row.edtJisa;
    EXPECT_EQ(rig.clock.sets[0].second, row.second) << row.edtJisa;
  }
}

TEST(SyncCycle, ConnectionTestIsIgnoredWhileACycleWaits) {
  EngineRig rig;
  rig.screen.rbHTTP.SetChecked(true);
  rig.page.time = kPcNow - 0.5 * kSecond;
  rig.page.during_wait = [&] { rig.engine.btnJikkouClick(); };
  EXPECT_TRUE(rig.engine.SyncClock(SyncMode::ConnectionTest));
  EXPECT_EQ(rig.precheck.runs, 1);
  EXPECT_EQ(rig.clock.sets.size(), 1u);
}

TEST(ReportLine, ThresholdsAndFormatting) {
  struct Row {
    std::int64_t ticks;
    const char* tag;
    const char* text;
  } rows[] = {
      {-500, "", "以前の時刻は、取得した時刻とほぼ合っていました（0.1秒以内 [-0.05])"},
      {50, "", "以前の時刻は、取得した時刻と合っていました(0.01秒以内)"},
      {99, "[2]", "以前の時刻は、取得した時刻と合っていました(0.01秒以内)[2]"},
      {100, "", "以前の時刻は、取得した時刻とほぼ合っていました（0.1秒以内 [0.01])"},
      {1000, "", "以前の時刻は、取得した時刻より 0.10 秒進んでいました"},
      {-1000, "[3]", "以前の時刻は、取得した時刻より 0.10 秒遅れていました[3]"},
      {12345000, "", "以前の時刻は、取得した時刻より 1,234.50 秒進んでいました"},
      {-5999950, "", "以前の時刻は、取得した時刻より 600.00 秒遅れていました"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ReportLine(row.ticks, row.tag, ",", "."), row.text) << row.ticks;
  EXPECT_EQ(FormatSeconds(12345678900, ".", ","), "1.234.567,89");
}

TEST(SyncCycle, SmallDifferencesReachTheReportLine) {
  struct Row {
    double ahead;
    const char* expected;
  } rows[] = {
      {-0.05, "ほぼ合っていました（0.1秒以内 [-0.05])"},
      {0.005, "合っていました(0.01秒以内)"},
      {0.0100, "ほぼ合っていました（0.1秒以内 [0.01])"},
      {0.1000, "取得した時刻より 0.10 秒進んでいました"},
  };
  for (const Row& row : rows) {
    EngineRig rig;
    rig.AnswerDifference(row.ahead);
    EXPECT_TRUE(rig.engine.SyncClock(SyncMode::ConnectionTest));
    EXPECT_EQ(Contains(rig.Log(), row.expected), "") << row.ahead;
  }
}

TEST(SyncCycle, ToleranceIsInclusiveToTheTick) {
  EngineRig exact;
  exact.AnswerDifference(60.0);
  EXPECT_TRUE(exact.engine.SyncClock(SyncMode::ResidentRun));
  EXPECT_TRUE(exact.boxes.shown.empty());

  EngineRig over;
  over.AnswerDifference(60.0001);
  const CycleResult refused = over.engine.FetchAndCorrect(SyncMode::ResidentRun);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.rejectedSeconds, 60);
  EXPECT_TRUE(over.clock.sets.empty());
}

TEST(SyncCycle, ToleranceOutsideItsRangeEndsWith303) {
  struct Row {
    const char* field;
    const char* shown;
  } rows[] = {{"0", "0"}, {"601", "601"}, {"-5", "5"}};
  for (const Row& row : rows) {
    EngineRig rig;
    rig.screen.edtGosa.SetText(row.field);
    rig.AnswerDifference(0.0);
    EXPECT_FALSE(rig.engine.SyncClock(SyncMode::ConnectionTest));
    EXPECT_EQ(Contains(rig.Log(), std::string("エラー回避：時刻の誤差指定が") + row.shown +
                                      "秒になっています。\r\n時刻の修正を、中止します(303)。"),
              "");
    EXPECT_TRUE(rig.clock.sets.empty());
  }
  EngineRig not_a_number;
  not_a_number.screen.edtGosa.SetText("abc");
  not_a_number.AnswerDifference(59.0);
  EXPECT_TRUE(not_a_number.engine.SyncClock(SyncMode::ConnectionTest));
}

TEST(SntpAttempts, SixSilentAttemptsRotateAndEndWith302) {
  EngineRig rig;
  EXPECT_FALSE(rig.engine.SyncClock(SyncMode::ConnectionTest));
  std::vector<std::string> expected;
  for (const char* h : {"0.jp.pool.ntp.org", "1.jp.pool.ntp.org", "2.jp.pool.ntp.org",
                        "ntp.nict.jp", "0.jp.pool.ntp.org", "1.jp.pool.ntp.org"}) {
    expected.push_back(h);
    expected.push_back(h);
  }
  EXPECT_EQ(rig.sntp.queried_hosts, expected);
  EXPECT_EQ(rig.clock.sleeps, std::vector<std::uint32_t>(5, 1000));
  EXPECT_NEAR(rig.clock.performance_counter() / 1e7, 17.0, 0.01);
  EXPECT_EQ(Contains(rig.Log(), "時刻を取得できませんでした(302)。\r\n\r\n何度も"), "");
  EXPECT_EQ(rig.icon.tips, std::vector<std::string>{"Horalux_確認待機中"});
  // The next cycle starts where this one stopped.
  rig.sntp.queried_hosts.clear();
  rig.AnswerDifference(1.0);
  EXPECT_TRUE(rig.engine.SyncClock(SyncMode::ConnectionTest));
  EXPECT_EQ(rig.sntp.queried_hosts.front(), "1.jp.pool.ntp.org");
}

TEST(SntpAttempts, ThirdAttemptTagsTheReport) {
  EngineRig rig;
  for (int i = 0; i < 4; ++i) rig.sntp.script.push_back(FakeSntp::Silent());
  // The two silent attempts took 5 s (4 waits, 1 pause) before the third.
  rig.Answer(kPcNow + 5 * kSecond - 1.2 * kSecond - 1 * kSecond);
  EXPECT_TRUE(rig.engine.SyncClock(SyncMode::ConnectionTest));
  EXPECT_EQ(Contains(rig.Log(), "秒進んでいました[3]"), "");
}

TEST(SntpAttempts, FailuresOfTheFirstExchange) {
  // Hand-given host: the first raised failure ends the cycle with its name.
  EngineRig hand;
  hand.screen.cbSNTP.SetChecked(true);
  hand.screen.cbSNTPAuto.SetChecked(false);
  hand.sntp.host = "ntp.example.invalid";
  // What the exchange raises when the host's port refuses.
  hand.sntp.script.push_back(FakeSntp::Raise("Socket Error # 10061\r\nConnection refused."));
  EXPECT_FALSE(hand.engine.SyncClock(SyncMode::ConnectionTest));
  std::printf("[ entry ]%s\n", hand.Log().c_str());
  EXPECT_EQ(Contains(hand.Log(),
                     "任意設定の時刻を取得できません(103)。\r\n設定したホスト名（又は"
                     "ＩＰアドレス）は正しいですか。\r\nHost = [ntp.example.invalid]"),
            "");
  // Automatic host: six raised failures end with 301.
  EngineRig automatic;
  for (int i = 0; i < 6; ++i) automatic.sntp.script.push_back(FakeSntp::Raise("boom"));
  EXPECT_FALSE(automatic.engine.SyncClock(SyncMode::ConnectionTest));
  EXPECT_EQ(Contains(automatic.Log(), "時刻を取得できませんでした(301)。\r\n中止します。"), "");
  EXPECT_EQ(automatic.sntp.queried_hosts.size(), 6u);
  // A hand-given host that stays silent is abandoned for server A.
  EngineRig silent;
  silent.screen.cbSNTP.SetChecked(true);
  silent.sntp.host = "192.0.2.1";
  silent.sntp.script = {FakeSntp::Silent(), FakeSntp::Silent()};
  silent.AnswerDifference(1.0);
  EXPECT_TRUE(silent.engine.SyncClock(SyncMode::ConnectionTest));
  EXPECT_EQ(silent.sntp.queried_hosts,
            (std::vector<std::string>{"192.0.2.1", "192.0.2.1", "0.jp.pool.ntp.org",
                                      "0.jp.pool.ntp.org"}));
}

TEST(ConnectionTest, DifferenceOverToleranceAsksFirst) {
  EngineRig declined;
  declined.AnswerDifference(100.0);
  declined.boxes.answers = {false};
  EXPECT_FALSE(declined.engine.SyncClock(SyncMode::ConnectionTest));
  ASSERT_EQ(declined.boxes.shown.size(), 1u);
  EXPECT_EQ(declined.boxes.shown[0].title, "確認");
  EXPECT_FALSE(declined.boxes.shown[0].yes_is_default);
  EXPECT_EQ(declined.boxes.shown[0].text,
            "取得時刻との差が100秒あります。\r\n内蔵時計の時刻を修正しますか？");
  EXPECT_EQ(Contains(declined.Log(),
                     "取得時刻との差が100秒ありましたが、\r\n内蔵時計の時刻は修正"
                     "いたしません(304)。"),
            "");
  EXPECT_TRUE(declined.clock.sets.empty());

  EngineRig accepted;
  accepted.AnswerDifference(100.0);
  accepted.boxes.answers = {true};
  accepted.boxes.while_open = [&](const fakes::FakeBoxes::Shown&) {
    accepted.clock.advance_ms(2500);
  };
  EXPECT_TRUE(accepted.engine.SyncClock(SyncMode::ConnectionTest));
  ASSERT_EQ(accepted.clock.sets.size(), 1u);
  // fetched (PC - 100 s, in UTC) plus the 2.5 s the question was open.
  SystemTimeFields s = accepted.clock.sets[0];
  EXPECT_EQ((std::vector<int>{s.hour, s.minute, s.second, s.millisecond}),
            (std::vector<int>{23, 58, 23, 500}));
  EXPECT_EQ(Contains(accepted.Log(),
                     "確認されましたので修正します。\r\n接続テストで時刻を修正しました"
                     "\r\n以前の時刻は、取得した時刻より 100.00 秒進んでいました"),
            "");

  EngineRig test_only;
  test_only.screen.cbSetuzokuT.SetChecked(false);
  test_only.AnswerDifference(100.0);
  test_only.boxes.answers = {true};
  EXPECT_TRUE(test_only.engine.SyncClock(SyncMode::ConnectionTest));
  EXPECT_TRUE(test_only.clock.sets.empty());
  EXPECT_EQ(Contains(test_only.Log(),
                     "内蔵時計の時刻は修正いたしません(305)。\r\n接続テストのみ実施"
                     "\r\n接続成功( NTP/SNTP )"),
            "");
}

TEST(ResidentRun, RefusalsAreShownInBoxes) {
  for (bool explain : {false, true}) {
    EngineRig rig;
    rig.resident = true;
    rig.screen.cbEhyouji.SetChecked(explain);
    rig.watchdog.SetEnabled(true);
    rig.AnswerDifference(100.0);
    EXPECT_FALSE(rig.engine.SyncClock(SyncMode::ResidentRun));
    std::vector<std::string> expected{
        "取得時刻との差が100秒ありましたので、\r\n内蔵時計の時刻は修正いたしませんでした(306)。"};
    if (explain)
      expected.push_back(
          "取得時刻との差が100秒ありましたので、\r\n内蔵時計の時刻は修正いたしませんでした(309)。");
    EXPECT_EQ(rig.BoxTexts(), expected);
    EXPECT_EQ(rig.watchdog.Enabled(), !explain);
    // Nothing but the header in the entry, and the log tab left alone.
    EXPECT_EQ(rig.Log().find("(306)"), std::string::npos);
    EXPECT_EQ(rig.screen.PageControl1.ActivePage(), &rig.screen.tsJikoku);
  }
}

TEST(SyncCycle, ZeroFirstExchangeIsCaughtByTheFailureBound) {
  EngineRig test;
  test.sntp.script = {FakeSntp::Time(0.0), FakeSntp::Time(kPcNow)};
  EXPECT_FALSE(test.engine.SyncClock(SyncMode::ConnectionTest));
  EXPECT_EQ(Contains(test.Log(), "内蔵時計の時刻は修正いたしません(3041)。"), "");
  EXPECT_TRUE(test.boxes.shown.empty());

  EngineRig resident;
  resident.resident = true;
  resident.screen.cbEhyouji.SetChecked(true);
  resident.sntp.script = {FakeSntp::Time(0.0), FakeSntp::Time(kPcNow)};
  EXPECT_FALSE(resident.engine.SyncClock(SyncMode::ResidentRun));
  EXPECT_EQ(resident.BoxTexts(),
            (std::vector<std::string>{
                "時刻取得に失敗しましたので、\r\n内蔵時計の時刻は修正いたしませんでした(3061)。",
                "時刻取得に失敗しましたので、\r\n内蔵時計の時刻は修正いたしませんでした(310)。"}));
}

TEST(SyncCycle, AlreadyOpenSourceEndsWith101WithoutWork) {
  EngineRig rig;
  rig.sntp.active = true;
  rig.engine.busy = false;
  EXPECT_FALSE(rig.engine.SyncClock(SyncMode::ConnectionTest));
  EXPECT_EQ(
      Contains(rig.Log(), "タイムサーバーに既に接続中です。\r\n今回は時刻を取得しません(101)。"),
      "");
  EXPECT_TRUE(rig.sntp.queried_hosts.empty());
  EXPECT_TRUE(rig.sntp.active);  // no end-of-cycle step ran
}

TEST(SyncCycle, FailureOfTheSecondExchangePassesAfterTheEntryIsCommitted) {
  EngineRig rig;
  rig.sntp.script = {FakeSntp::Time(kPcNow), FakeSntp::Raise("Socket Error # 10054")};
  EXPECT_THROW(rig.engine.SyncClock(SyncMode::ConnectionTest), std::runtime_error);
  EXPECT_FALSE(rig.engine.busy);
  EXPECT_FALSE(rig.sntp.active);
  EXPECT_EQ(Contains(rig.files.content("C:\\Apps\\Horalux\\Jikoku.txt"), "(NTP/SNTP)"), "");
}

TEST(SyncCycle, ClockSetFailureIsLoggedAndShownAndAMissingRightIsNamed) {
  const std::string k307 = "接続テストで時刻を修正しました\r\n※※※注意※※※  時刻設定エラー(307)";
  const std::string kRight =
      "時刻を設定する権限がありません。管理者として実行してください（Readme.txt 参照）。";
  for (ClockSet refusal : {ClockSet::Failed, ClockSet::NoRight}) {
    EngineRig rig;
    rig.clock.refusal = refusal;
    rig.watchdog.SetEnabled(true);
    rig.AnswerDifference(2.0);
    EXPECT_FALSE(rig.engine.SyncClock(SyncMode::ConnectionTest));
    const bool no_right = refusal == ClockSet::NoRight;
    EXPECT_EQ(Contains(rig.Log(), no_right ? k307 + "\r\n" + kRight : k307), "");
    EXPECT_EQ(rig.Log().find(kRight) != std::string::npos, no_right);
    EXPECT_EQ(rig.BoxTexts(),
              std::vector<std::string>{"時刻の設定で、エラーがありました(308)。\r\n\r\n"
                                       "時刻を必ずチェックしてください。"});
    EXPECT_FALSE(rig.watchdog.Enabled());
  }
}

// A log file that cannot be written no longer hides the cycle's outcome: the
// outcome's boxes come first, then one box naming the file.
TEST(SyncCycle, AnUnwritableLogIsToldOnceAfterTheOutcome) {
  const std::string k308 =
      "時刻の設定で、エラーがありました(308)。\r\n\r\n時刻を必ずチェックしてください。";
  const std::string kRight =
      "\r\n\r\n時刻を設定する権限がありません。管理者として実行してください（Readme.txt 参照）。";
  const std::string kLog = "[C:\\Apps\\Horalux\\Jikoku.txt]に書き込めません。";
  struct Row {
    SyncMode mode;
    ClockSet refusal;
    std::vector<std::string> boxes;
  } rows[] = {
      {SyncMode::ResidentRun, ClockSet::NoRight, {k308 + kRight, kLog}},
      {SyncMode::ResidentRun, ClockSet::Failed, {k308, kLog}},
      // The log view shows the reason there.
      {SyncMode::ConnectionTest, ClockSet::NoRight, {k308, kLog}},
      // Set, yet the entry that says so could not be saved.
      {SyncMode::ResidentRun, ClockSet::Set, {kLog}},
      {SyncMode::ConnectionTest, ClockSet::Set, {kLog}},
  };
  for (const Row& row : rows) {
    EngineRig rig;
    rig.resident = row.mode == SyncMode::ResidentRun;
    rig.clock.refusal = row.refusal;
    rig.files.put(rig.log.logFilePath, "old\r\n");
    rig.files.set_attributes(rig.log.logFilePath, file_attribute::kReadOnly);
    rig.AnswerDifference(2.0);
    EXPECT_EQ(rig.engine.SyncClock(row.mode), row.refusal == ClockSet::Set);
    EXPECT_EQ(rig.BoxTexts(), row.boxes);
    EXPECT_EQ(rig.files.content(rig.log.logFilePath), "old\r\n");
  }
}

TEST(SyncCycle, HttpWithoutAPageTimeEndsWith201NamingTheSource) {
  EngineRig rig;
  rig.screen.rbHTTP.SetChecked(true);
  const CycleResult failed = rig.engine.FetchAndCorrect(SyncMode::ConnectionTest);
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(Contains(rig.Log(),
                     "Fennick標準時１(Http)\r\nHTTP で時刻が取得できません(201)。\r\n"
                     "インターネットには接続されていますか。\r\n< Fennick標準時１ >"),
            "");
  EXPECT_EQ(failed.attemptCount, 0);

  EngineRig page;
  page.screen.rbHTTP.SetChecked(true);
  // 12:00:00.000 JST on the page with the 500 ms adjustment is 03:00:00.500 UTC.
  page.page.time = EncodeDateTime(2006, 8, 31, 12, 0, 0, 0);
  page.screen.edtGosa.SetText("600");
  page.boxes.answers = {true};
  EXPECT_TRUE(page.engine.SyncClock(SyncMode::ConnectionTest));
  ASSERT_EQ(page.clock.sets.size(), 1u);
  EXPECT_EQ(page.clock.sets[0].hour, 3);
  EXPECT_EQ(page.clock.sets[0].millisecond, 500);
  EXPECT_EQ(Contains(page.Log(), "秒遅れていました"), "");
}

TEST(SyncCycle, ProxyPrecheckEndsTheCycleOrSwitchesItToHttp) {
  struct Row {
    ProxyPrecheck::Outcome outcome;
    bool select_http;
    bool result;
    const char* log;  // in the access log afterwards; "": the log stays empty
  } rows[] = {
      {ProxyPrecheck::Outcome::EndNow, false, false, ""},
      // The header was written before the switch and still names SNTP.
      {ProxyPrecheck::Outcome::GoOn, true, true,
       "自動設定(NTP/SNTP)\r\n接続テストで時刻を修正しました\r\n以前の時刻は"},
  };
  for (const Row& row : rows) {
    EngineRig rig;
    rig.precheck.outcome = row.outcome;
    rig.precheck.select_http = row.select_http;
    rig.precheck.during_run = [&] { rig.engine.btnJikkouClick(); };  // starts no second cycle
    rig.page.time = kPcNow - 0.5 / 86400;  // 0.5 s behind once the 500 ms are added
    EXPECT_EQ(rig.engine.SyncClock(SyncMode::ConnectionTest), row.result);
    EXPECT_EQ(rig.precheck.runs, 1);
    EXPECT_TRUE(rig.sntp.queried_hosts.empty());
    EXPECT_EQ(*row.log ? Contains(rig.Log(), row.log) : rig.Log(), "");
    EXPECT_EQ(rig.clock.sets.size(), row.result ? 1u : 0u);
  }
}

}  // namespace
}  // namespace horalux
