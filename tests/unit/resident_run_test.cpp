#include <gtest/gtest.h>

#include <stdexcept>

#include "core/base/version.h"
#include "core/net/ntp_timestamp.h"
#include "tests/fakes/form_rig.h"

namespace horalux {
namespace {

using fakes::FormRig;

constexpr const char* kCountdownTip1 = "Horalux_動作遅延待機中（実行まで 1 秒）";

// A good SNTP reply carrying the given local time (bias -540 minutes).
std::vector<std::uint8_t> SntpReply(double local) {
  std::vector<std::uint8_t> bytes(48, 0);
  bytes[0] = 0x1C;
  bytes[1] = 2;
  NtpTimestamp t = EncodeNtpTimestamp(local, -0.375);
  for (int i = 0; i < 4; ++i) {
    bytes[40 + i] = static_cast<std::uint8_t>(t.seconds >> (24 - 8 * i));
    bytes[44 + i] = static_cast<std::uint8_t>(t.fraction >> (24 - 8 * i));
  }
  return bytes;
}

struct Resident : FormRig {
  explicit Resident(int delay = 3) {
    PutSettings("[Jikoku]\r\nudChien=" + std::to_string(delay) + "\r\n");
    network.hosts["0.jp.pool.ntp.org"] = Ipv4Address{{127, 0, 0, 1}};
  }
  // Both exchanges of the first attempt answer with the PC's time.
  void ServerAnswers() {
    network.reply(SntpReply(clock.local_now()));
    network.reply(SntpReply(clock.local_now()));
  }
  std::vector<std::string> Tips() {
    std::vector<std::string> tips;
    for (const auto& r : shell.records)
      if (r.tip) tips.push_back(*r.tip);
    return tips;
  }
  bool IconShown() {
    auto it = shell.icons.find(form().TrayIcon1().InstanceNumber());
    return it != shell.icons.end() && !it->second.hidden;
  }
  std::vector<std::uint32_t> sleeps_over(std::uint32_t ms) {
    std::vector<std::uint32_t> out;
    for (auto s : clock.sleeps)
      if (s >= ms) out.push_back(s);
    return out;
  }
};

TEST(ResidentRun, SuccessEndsThreeSecondsLaterWithTheIconHiddenAndNothingSaved) {
  Resident rig(1);
  rig.ServerAnswers();
  rig.Make({"-R"}).FormCreate();
  TfmJikoku& f = rig.form();
  EXPECT_TRUE(rig.pump.quitting());
  EXPECT_TRUE(f.Controller().Closing());
  EXPECT_FALSE(rig.IconShown());
  EXPECT_EQ(rig.clock.sleeps.back(), 3000u);
  EXPECT_EQ(rig.boxes.shown.size(), 0u);
  EXPECT_EQ(rig.SettingsText(), "[Jikoku]\r\nudChien=1\r\n");
  EXPECT_NE(rig.LogText().find("以前の時刻は"), std::string::npos);
  // A delay of 1 shows the countdown value 1 once, then one pause.
  auto tips = rig.Tips();
  EXPECT_EQ(std::count(tips.begin(), tips.end(), kCountdownTip1), 1);
  EXPECT_EQ(rig.clock.sleeps.front(), 1000u);
  EXPECT_EQ(f.SGTimer1().Interval(), 180000u);
  EXPECT_TRUE(f.SGTimer1().Enabled());
  EXPECT_EQ(
      f.StartupTrace(),
      "[C:\\Apps\\Horalux\\]\r\n-R1\r\n-1-2.1-2.2-4.1-4.2-4.3-4.5-4.6-4.7(1)-6.1-6.2-6.3-7-9");
}

TEST(ResidentRun, NoDelayShowsNoIconAndSkipsTheCountdown) {
  Resident rig;
  rig.ServerAnswers();
  rig.Make({"-R", "-N"}).FormCreate();
  EXPECT_EQ(rig.form().StartupTrace(), "[C:\\Apps\\Horalux\\]\r\n-R-N3\r\n-1-6.1-6.2-6.3-7-9");
  EXPECT_TRUE(rig.shell.icons.empty());
  for (const std::string& tip : rig.Tips()) EXPECT_EQ(tip.find("Horalux_"), std::string::npos);
  EXPECT_TRUE(rig.pump.quitting());
}

TEST(ResidentRun, AbortDuringTheCountdownEndsAtOnce) {
  Resident rig(5);
  rig.pump.on_process = [&](int pass) {
    if (pass == 2) rig.form().pmnQuitClick();
  };
  rig.Make({"-R"}).FormCreate();
  EXPECT_TRUE(rig.pump.quitting());
  EXPECT_TRUE(rig.network.sent.empty());
  EXPECT_TRUE(rig.sleeps_over(3000).empty());
  EXPECT_FALSE(rig.IconShown());
  EXPECT_EQ(rig.host.shows, 0);
}

TEST(ResidentRun, DisplayRequestShowsTheLogTabWithoutSyncing) {
  Resident rig(5);
  rig.token.kind = Elevation::FilteredAdministrator;
  rig.pump.on_process = [&](int pass) {
    if (pass == 2) {
      rig.form().PopupMenu1Popup();
      EXPECT_TRUE(rig.form().PopupMenu1().Item(0).Visible);
      rig.form().pmnDispClick();
    }
  };
  TfmJikoku& f = rig.Make({"-R"});
  f.FormCreate();
  EXPECT_EQ(rig.host.shows, 1);
  EXPECT_FALSE(f.Controller().IsResidentRun());
  EXPECT_EQ(f.Screen().PageControl1.ActivePage(), &f.Screen().tsJMemo);
  EXPECT_TRUE(rig.network.sent.empty());
  EXPECT_FALSE(rig.pump.quitting());
  EXPECT_EQ(rig.Tips().back(), "Horalux表示中");
  // Closing that window does not abort, and writes the settings.
  rig.host.close_window();
  EXPECT_FALSE(f.Controller().AbortRequested());
  EXPECT_NE(rig.SettingsText().find(std::string("Version=") + kProgramVersion), std::string::npos);
  f.PopupMenu1Popup();
  EXPECT_FALSE(f.PopupMenu1().Item(0).Visible);
}

TEST(ResidentRun, FailedCycleAsksAndNoEnds) {
  Resident rig(1);
  rig.boxes.answers = {false};
  rig.Make({"-R"}).FormCreate();
  ASSERT_GE(rig.boxes.shown.size(), 2u);
  auto& question = rig.boxes.shown[rig.boxes.shown.size() - 2];
  EXPECT_EQ(question.title, "　Horalux");
  EXPECT_TRUE(question.yes_is_default);
  EXPECT_EQ(question.text,
            "インターネットの時刻取得が失敗しました。\r\nHoraluxの設定フォームを表示しますか？");
  EXPECT_EQ(rig.boxes.shown.back().text, "Horaluxを終了します。");
  EXPECT_TRUE(rig.pump.quitting());
  auto tips = rig.Tips();
  EXPECT_NE(std::find(tips.begin(), tips.end(), "Horalux_確認待機中"), tips.end());
}

TEST(ResidentRun, FailedCycleAnsweredYesShowsTheWindow) {
  Resident rig(1);
  rig.token.kind = Elevation::FilteredAdministrator;
  rig.boxes.answers = {true};
  TfmJikoku& f = rig.Make({"-R"});
  f.FormCreate();
  EXPECT_EQ(rig.host.shows, 1);
  EXPECT_FALSE(f.Controller().IsResidentRun());
  EXPECT_FALSE(f.SGTimer1().Enabled());
  EXPECT_FALSE(rig.pump.quitting());
  EXPECT_NE(f.StartupTrace().find("-7-8-9-10"), std::string::npos);
}

// An elevated run shows no window of its own: the shell's process starts an
// unelevated copy in its place, and keeps its title until it ends.
TEST(ResidentRun, AnElevatedRunAnsweredYesHandsTheWindowToAnUnelevatedCopy) {
  // Last: the shell starts the copy, but no window of it comes.
  for (const auto& [reachable, window] : {std::pair{true, true}, {false, true}, {true, false}}) {
    Resident rig(1);
    rig.desktop.shell_reachable = reachable;
    if (!window) rig.desktop.window_after_polls = -1;
    rig.boxes.answers = {true};
    rig.windowing.application_title = "Horalux";
    rig.Make({"-R"}).FormCreate();
    EXPECT_EQ(rig.host.shows, 0);
    EXPECT_EQ(rig.windowing.application_title, "Horalux");
    EXPECT_TRUE(rig.pump.quitting());
    EXPECT_EQ(rig.boxes.shown.back().text == kStartFromStartMenuText, !reachable || !window);
    ASSERT_EQ(rig.desktop.started.size(), reachable ? 1u : 0u);
    for (const auto& started : rig.desktop.started) EXPECT_EQ(started.parameters, "/show");
  }
}

TEST(ResidentRun, WatchdogEndsAnUnansweredQuestion) {
  Resident rig(1);
  rig.boxes.while_open = [&](const fakes::FakeBoxes::Shown& box) {
    if (box.title == "　Horalux") rig.pump.fire(1);
  };
  rig.Make({"-R"}).FormCreate();
  EXPECT_TRUE(rig.pump.quitting());
  EXPECT_TRUE(rig.form().Controller().Closing());
  // The question closed by the end of the run counts as No: no window.
  EXPECT_EQ(rig.host.shows, 0);
  EXPECT_TRUE(rig.form().Controller().IsResidentRun());
}

TEST(ResidentRun, MenuEntriesRefuseWhileACycleRuns) {
  Resident rig(1);
  TfmJikoku& f = rig.Make({});
  f.Engine().busy = true;
  f.pmnQuitClick();
  f.pmnDispClick();
  f.SGTimer1Timer();
  EXPECT_FALSE(rig.pump.quitting());
  ASSERT_EQ(rig.boxes.shown.size(), 2u);
  EXPECT_EQ(rig.boxes.shown[0].text, "時刻取得中です。\r\n今は終了できません。");
  EXPECT_FALSE(f.Controller().DisplayRequested());
  f.Engine().busy = false;
  f.SGTimer1Timer();
  EXPECT_TRUE(rig.pump.quitting());
}

// Nobody answers a box once the session ends, not even the one that refuses
// to end a resident run while its cycle runs; the settings are saved as at
// every close.
TEST(ResidentRun, EndOfTheSessionClosesWithoutABox) {
  struct Row {
    const char* what;
    bool resident, busy, quits;
  } rows[] = {
      {"window mode", false, false, false},
      {"resident run", true, false, true},
      {"resident run inside its cycle", true, true, false},
  };
  for (const Row& row : rows) {
    Resident rig(1);
    TfmJikoku& f = rig.Make({});
    f.FormCreate();
    if (row.resident) f.Controller().TakeParameter('R');
    f.Engine().busy = row.busy;
    f.FormEndSession();
    EXPECT_EQ(rig.pump.quitting(), row.quits) << row.what;
    EXPECT_TRUE(rig.boxes.shown.empty()) << row.what;
    EXPECT_NE(rig.SettingsText().find("[Header]"), std::string::npos) << row.what;
    EXPECT_TRUE(f.Controller().Closing()) << row.what;
  }
}

// A resident run that can neither set the clock nor write its log says both,
// then asks as after any failure, and never offers to write an error log into
// the file that just failed, not even after a failure passing through.
TEST(ResidentRun, AnUnwritableLogFollowsTheOutcomeAndGetsNoErrorLog) {
  const std::string kLogBox = "message: [C:\\Apps\\Horalux\\Jikoku.txt]に書き込めません。";
  for (bool second_exchange_fails : {false, true}) {
    Resident rig(1);
    rig.clock.refusal = ClockSet::NoRight;
    const std::string log = std::string(FormRig::kFolder) + "Jikoku.txt";
    rig.files.put(log, "old\r\n");
    rig.files.set_attributes(log, file_attribute::kReadOnly);
    rig.network.reply(SntpReply(rig.clock.local_now() - 2.0 / 86400));
    if (second_exchange_fails)
      rig.network.replies.push_back({fakes::ScriptedReply::Kind::ReceiveFails, {}, {}, 0, 10050});
    else
      rig.network.reply(SntpReply(rig.clock.local_now()));
    rig.boxes.answers = {false};
    rig.Make({"-R", "-N"}).FormCreate();
    std::vector<std::string> shown;
    for (const auto& box : rig.boxes.shown) shown.push_back(box.kind + ": " + box.text);
    const std::vector<std::string> after_the_cycle{
        "message: 時刻の設定で、エラーがありました(308)。\r\n\r\n時刻を必ずチェックしてください。"
        "\r\n\r\n時刻を設定する権限がありません。管理者として実行してください（Readme.txt 参照）。",
        kLogBox,
        "question: "
        "インターネットの時刻取得が失敗しました。\r\nHoraluxの設定フォームを表示しますか？",
        "message: Horaluxを終了します。"};
    EXPECT_EQ(shown, second_exchange_fails ? std::vector<std::string>{kLogBox} : after_the_cycle);
    EXPECT_TRUE(rig.pump.quitting());
    EXPECT_EQ(rig.LogText(), "old\r\n");
  }
}

TEST(ResidentRun, UnexpectedFailureWritesTheErrorLogWhenAskedTo) {
  Resident rig(300);
  rig.pump.on_process = [&](int pass) {
    if (pass == 2) throw std::runtime_error("boom");
  };
  rig.boxes.answers = {true};
  rig.Make({"-R"}).FormCreate();
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text,
            "時刻取得中にエラーが発生しました。\r\n今回は終了しますが、\r\n"
            "「エラーログ」をアクセス記録に記入しますか？");
  const std::string log = rig.LogText();
  EXPECT_NE(log.find("【エラーログ】\r\n[C:\\Apps\\Horalux\\]\r\n-R300\r\n"
                     "-1-2.1-2.2-4.1-4.2-4.3-4.5-4.6-4.7-5.1-4.1-11[299]"),
            std::string::npos)
      << log;
  EXPECT_TRUE(rig.pump.quitting());
}

}  // namespace
}  // namespace horalux
