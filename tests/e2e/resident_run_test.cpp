// The resident run of the shipped Horalux.exe under Wine: the countdown icon
// in Wine's tray, one synchronisation against a test responder, and the end
// by itself, after the failure question, or from the icon's menu.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/e2e/sync_checks.h"
#include "tests/e2e/tray_driver.h"
#include "tools/lib/sntp_responder.h"

namespace horalux::e2e {
namespace {

namespace fs = std::filesystem;
using tools::SntpAnswer;
using tools::SntpResponder;

// A copy with the given [Jikoku] lines.
struct ResidentCopy : ProgramCopy {
  explicit ResidentCopy(std::string_view jikoku)
      : ProgramCopy("[Jikoku]\r\n" + std::string(jikoku)), written(*Settings()) {}
  // The settings file as it was written before the start.
  const std::string written;
};

std::string HandGiven(std::string_view address, int delay_seconds) {
  return "udChien=" + std::to_string(delay_seconds) +
         "\r\ncbSNTP=1\r\nedtSNTP=" + std::string(address) + "\r\n";
}

std::string CountdownTip(int seconds) {
  return "Horalux_動作遅延待機中（実行まで " + std::to_string(seconds) + " 秒）";
}

std::string BoxTexts(const Process& app) {
  std::string texts;
  for (const auto& box : app.MessageBoxes()) texts += "\n" + box.Title() + ": " + box.Text();
  return texts.empty() ? " (none)" : texts;
}

TEST(ResidentRun, CountsDownInTheTraySyncsOnceAndEndsWithoutWritingTheSettings) {
  ASSERT_TRUE(InJapanTime()) << kNeedsJapanTime;
  auto responder = Responder("127.0.0.20");
  responder->answer_all(SntpAnswer::TrueTime());
  ResidentCopy copy(HandGiven("127.0.0.20", 3));

  Process app = copy.Start({"-R"});
  // The tips the icon shows, each once, in the order they came.
  std::vector<std::string> tips;
  bool icon_gone_while_running = false;
  // The program has read the PC clock once its icon is gone.
  auto gone_seen = std::chrono::steady_clock::time_point::max();
  const bool ended = PollUntil(
      [&] {
        if (auto icon = FindTrayIcon(app.Id())) {
          if (auto tip = icon->Tip(); tip && (tips.empty() || tips.back() != *tip)) {
            tips.push_back(*tip);
            // A laptop plugged in or unplugged during the countdown changes nothing.
            if (tips.size() == 1)
              app.WaitWindow({.cls = kMainWindowClass, .visible_only = false})
                  .Post(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE);
          }
        } else if (responder->request_count() > 0 && app.Running()) {
          if (!icon_gone_while_running) gone_seen = std::chrono::steady_clock::now();
          icon_gone_while_running = true;
        }
        return !app.Running();
      },
      Millis(20000));
  ASSERT_TRUE(ended) << "the resident run did not end by itself; its boxes:" << BoxTexts(app)
                     << "\nits log:\n"
                     << copy.Log().value_or("(none)");
  EXPECT_EQ(app.ExitCode(), 0u);

  // One tip per second of the countdown, from the delay down to 1.
  std::vector<std::string> countdown;
  for (const auto& tip : tips)
    if (tip.starts_with("Horalux_動作遅延待機中")) countdown.push_back(tip);
  EXPECT_EQ(countdown,
            (std::vector<std::string>{CountdownTip(3), CountdownTip(2), CountdownTip(1)}))
      << "tips seen: " << ::testing::PrintToString(tips);
  // The icon goes before the pause that ends the run.
  EXPECT_TRUE(icon_gone_while_running);

  // One attempt: two exchanges with the hand-given server.
  EXPECT_EQ(responder->request_count(), 2);
  auto log = copy.Log();
  ASSERT_TRUE(log.has_value()) << "no access log written";
  auto lines = Lines(*log);
  ASSERT_EQ(lines.size(), 3u) << *log;
  EXPECT_EQ(lines[0], "");
  EXPECT_TRUE(lines[1].starts_with("[ ") && lines[1].ends_with(" ]任意設定(NTP/SNTP)")) << lines[1];
  if (gone_seen == std::chrono::steady_clock::time_point::max()) {
    gone_seen = std::chrono::steady_clock::now();
  }
  EXPECT_TRUE(SameLogLines({lines[2]}, {"以前の時刻は、取得した時刻より 0.20 秒遅れていました"},
                           MeasuredReadDelay(*responder, gone_seen)));
  EXPECT_EQ(copy.Settings(), copy.written);
}

// A responder whose every reply is too long to be one, so that the cycle fails.
std::unique_ptr<SntpResponder> OversizedReplies(const std::string& address) {
  auto responder = Responder(address);
  SntpAnswer oversized = SntpAnswer::TrueTime();
  oversized.length = 68;
  responder->answer_all(oversized);
  return responder;
}

TEST(ResidentRun, FailedCycleAsksToShowTheWindowAndNoEndsTheProgram) {
  auto responder = OversizedReplies("127.0.0.21");
  ResidentCopy copy(HandGiven("127.0.0.21", 3));

  Process app = copy.Start({"-R", "-N"});
  bool icon_before_fetch = false;
  std::optional<MessageBoxWindow> question;
  WaitUntil(
      [&] {
        // The icon first, the count after: an icon seen before the count
        // moved was shown before the fetch.
        const bool icon = FindTrayIcon(app.Id()).has_value();
        if (icon && responder->request_count() == 0) icon_before_fetch = true;
        auto boxes = app.MessageBoxes();
        if (!boxes.empty()) question = boxes.front();
        return question.has_value();
      },
      "the question after the failed cycle");
  EXPECT_FALSE(icon_before_fetch) << "with -N no icon shows before the fetch";

  EXPECT_EQ(question->Title(), "　Horalux");
  EXPECT_EQ(question->Text(),
            "インターネットの時刻取得が失敗しました。\r\nHoraluxの設定フォームを表示しますか？");
  EXPECT_EQ(DefaultButton(*question), IDYES);
  // While the question waits, the icon tells so.
  EXPECT_EQ(WaitTrayIcon(app).Tip(), "Horalux_確認待機中");
  // The entry is committed before the question.
  auto log = copy.Log();
  ASSERT_TRUE(log.has_value()) << "no access log written";
  auto lines = Lines(*log);
  ASSERT_EQ(lines.size(), 5u) << *log;
  EXPECT_TRUE(lines[1].ends_with(" ]任意設定(NTP/SNTP)")) << lines[1];
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
            (std::vector<std::string>{"任意設定の時刻を取得できません(103)。",
                                      "設定したホスト名（又はＩＰアドレス）は正しいですか。",
                                      "Host = [127.0.0.21]"}));

  question->Press("いいえ");
  MessageBoxWindow farewell = app.WaitMessageBox();
  EXPECT_EQ(farewell.Title(), "Horalux");
  EXPECT_EQ(farewell.Text(), "Horaluxを終了します。");
  farewell.Press("OK");
  EXPECT_EQ(app.WaitExit(), 0u);
  EXPECT_TRUE(app.TopWindows({.cls = kMainWindowClass}).empty());
  // A raised failure in the first exchange ends the cycle at once.
  EXPECT_EQ(responder->request_count(), 1);
  EXPECT_EQ(copy.Settings(), copy.written);
}

// The main window of a copy other than `app`.
Window WindowOfAnotherCopy(const Process& app) {
  Window main;
  WaitUntil(
      [&] {
        for (const auto& w : TopWindows({.cls = kMainWindowClass, .title = kProgramTitle}))
          if (w.ProcessId() != app.Id()) main = w;
        return bool(main);
      },
      "the window of the copy started in the run's place", Millis(30000));
  return main;
}

// Elevated, as every Wine process, the run shows no window of its own: the
// shell starts a copy that shows it, with the log as the run wrote it.
TEST(ResidentRun, YesAfterAFailedCycleShowsTheWindowInAnotherProcessWithTheLogAsWritten) {
  auto responder = OversizedReplies("127.0.0.23");
  ResidentCopy copy(HandGiven("127.0.0.23", 3));
  Process app = copy.Start({"-R", "-N"});
  app.WaitMessageBox().Press("はい");

  Window main = WindowOfAnotherCopy(app);
  std::printf(
      "window after Yes: shown by process %lu (%ls), not by the resident run (process %lu)\n",
      main.ProcessId(), ImagePath(main.ProcessId()).c_str(), app.Id());
  EXPECT_EQ(ImagePath(main.ProcessId()), copy.exe());
  EXPECT_TRUE(app.WaitExit(Millis(20000)).has_value());
  main.Control({.cls = "SysTabControl32"}).SelectTab(" アクセス記録 ");
  std::optional<Window> view;
  for (const auto& edit : main.Controls({.cls = "Edit", .visible_only = true}))
    if (GetWindowLongW(edit.handle(), GWL_STYLE) & ES_MULTILINE) view = edit;
  ASSERT_TRUE(view.has_value()) << main.DescribeTree();
  auto log = copy.Log();
  ASSERT_TRUE(log.has_value());
  EXPECT_EQ(view->Text() + "\r\n", *log);
  main.Close();
  main.WaitGone();
}

// Wine refuses a clock step beyond half a second as Windows refuses a program
// that is not elevated, and a read-only log cannot take the entry: the run
// tells both, the reason first, then asks as after any failure. It never
// offers to write an error log into the file that just failed.
TEST(ResidentRun, AnUnwritableLogDoesNotHideWhyTheClockWasNotSet) {
  auto responder = Responder("127.0.0.24");
  responder->answer_all(SntpAnswer::TrueTime(2));
  ResidentCopy copy(HandGiven("127.0.0.24", 3));
  const fs::path log = copy / "Jikoku.txt";
  const std::string old_log = "\r\n[ 2001/02/03(土) 4:05:06 ]任意設定(NTP/SNTP)\r\n";
  WriteFileBytes(log, Utf8ToCp932(old_log));
  ASSERT_TRUE(SetFileAttributesW(log.c_str(), FILE_ATTRIBUTE_READONLY));
  // The scratch folder goes only without the read-only file.
  struct Writable {
    const fs::path& file;
    ~Writable() { SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL); }
  } writable_again{log};

  Process app = copy.Start({"-R", "-N"});
  const struct {
    const char* title;
    std::string text;
    const char* press;
  } expected[] = {
      {"Horalux",
       "時刻の設定で、エラーがありました(308)。\r\n\r\n時刻を必ずチェックしてください。\r\n\r\n"
       "時刻を設定する権限がありません。管理者として実行してください（Readme.txt 参照）。",
       "OK"},
      {"Horalux", "[" + PathToUtf8(log) + "]に書き込めません。", "OK"},
      {"　Horalux",
       "インターネットの時刻取得が失敗しました。\r\nHoraluxの設定フォームを表示しますか？",
       "いいえ"},
      {"Horalux", "Horaluxを終了します。", "OK"},
  };
  for (const auto& box : expected) {
    MessageBoxWindow shown = app.WaitMessageBox(Millis(20000));
    std::cout << "[ box ] " << shown.Title() << ": " << shown.Text() << std::endl;
    EXPECT_EQ(shown.Title(), box.title);
    ASSERT_EQ(shown.Text(), box.text);
    shown.Press(box.press);
  }
  EXPECT_EQ(app.WaitExit(), 0u);
  EXPECT_EQ(ReadCp932File(log), old_log);
  EXPECT_EQ(responder->request_count(), 2);
}

TEST(ResidentRun, IconMenuOrASuspendDuringTheCountdownStopsTheRunBeforeAnySync) {
  struct Row {
    const char* item;  // empty: the PC suspends
    // What follows the choice, with the program still to be ended by it.
    std::function<void(Process&, const ResidentCopy&)> then;
  };
  const Row rows[] = {
      {"", [](Process& app, const ResidentCopy&) { EXPECT_EQ(app.WaitExit(), 0u); }},
      {"中止＆終了(&X)",
       [](Process& app, const ResidentCopy& copy) {
         EXPECT_EQ(app.WaitExit(), 0u);
         EXPECT_EQ(copy.Settings(), copy.written);
         EXPECT_FALSE(copy.Log().has_value());
       }},
      {"アクセス記録表示(&D)",
       [](Process& app, const ResidentCopy&) {
         Window main = WindowOfAnotherCopy(app);
         Window tabs = main.Control({.cls = "SysTabControl32"});
         EXPECT_EQ(tabs.TabCaptions().at(tabs.SelectedTab()), " アクセス記録 ");
         EXPECT_EQ(app.WaitExit(), 0u);
         main.Close();
         main.WaitGone();
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.item);
    auto responder = Responder("127.0.0.22");
    ResidentCopy copy(HandGiven("127.0.0.22", 60));
    Process app = copy.Start({"-R"});

    TrayIcon icon = WaitTrayIcon(app);
    WaitUntil([&] { return icon.Tip().value_or("").starts_with("Horalux_動作遅延待機中"); },
              "the countdown tip");
    if (*row.item) {
      icon.RightClick();
      ChoosePopupItem(WaitPopupMenu(app), row.item);
    } else {
      app.WaitWindow({.cls = kMainWindowClass, .visible_only = false})
          .Post(WM_POWERBROADCAST, PBT_APMSUSPEND);
    }
    row.then(app, copy);
    EXPECT_EQ(responder->request_count(), 0);
  }
}

}  // namespace
}  // namespace horalux::e2e
