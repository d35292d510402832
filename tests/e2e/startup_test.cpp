// Program entry and the window frame of Horalux.exe, driven from outside:
// the single-instance rule and its marker file, the parameters that choose a
// resident run, the three ways of closing the window, and the frame itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/base/version.h"
#include "tests/e2e/driver.h"
#include "tools/lib/sntp_responder.h"

namespace horalux::e2e {
namespace {

namespace fs = std::filesystem;

// The SNTP responder of these tests; every settings file below names it as
// the hand-given server, so no cycle can ever reach a public one.
constexpr char kServer[] = "127.0.0.50";

constexpr char kCountdownTip[] = "Horalux_動作遅延待機中（実行まで ";

// A copy that asks the test server; `extra` adds lines to the [Jikoku]
// section; `allow_second` writes the marker that lets this copy start beside
// another test's copy.
struct ServerCopy : ProgramCopy {
  explicit ServerCopy(const std::string& extra = "", bool allow_second = true)
      : ProgramCopy("[Jikoku]\r\ncbSNTP=1\r\nedtSNTP=" + std::string(kServer) + "\r\n" + extra,
                    {.allow_second = allow_second}) {}
  std::filesystem::path ini = *this / "Horalux.ini";
};

std::string Delay(int seconds) {
  return "udChien=" + std::to_string(seconds) + "\r\n";
}

// The seconds a countdown tip shows, when one of the shown tips counts down
// from `delay`. Icons of other tests' copies share the tray, and a killed
// copy's icon stays a moment: each start here counts down from a delay of its
// own, at least 10 s from any other.
// The countdown values in the tray's tips that may belong to a copy started
// with this delay. An icon of a copy killed earlier can linger in Wine's tray
// with a frozen value, so callers look for values going down.
std::vector<int> CountdownsFrom(int delay) {
  std::vector<int> values;
  for (const std::string& tip : ShownTrayTips()) {
    if (tip.rfind(kCountdownTip, 0) != 0) continue;
    const int left = std::atoi(tip.c_str() + std::string(kCountdownTip).size());
    if (left <= delay && left > delay - 8) values.push_back(left);
  }
  return values;
}

std::optional<int> CountdownFrom(int delay) {
  auto values = CountdownsFrom(delay);
  if (values.empty()) return std::nullopt;
  return *std::max_element(values.begin(), values.end());
}

Window MainWindowOf(const Process& app, bool shown = true) {
  return app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle, .visible_only = shown});
}

// Starts a copy without the marker once no other copy runs. Another test's
// copy starting at the same moment makes it end at once; it then tries again.
Process StartAlone(const ServerCopy& copy, const std::vector<std::string>& args, bool resident) {
  for (int attempt = 1;; ++attempt) {
    WaitNoRunningCopy();
    Process app = copy.Start(args);
    bool ended = false;
    PollUntil([&] {
      if (!app.TopWindows({.cls = kMainWindowClass, .visible_only = !resident}).empty())
        return true;
      return ended = !app.Running();
    });
    if (!ended || attempt == 3) return app;
  }
}

TEST(ProgramEntry, SecondCopyBringsTheRunningOneForwardAndEnds) {
  struct Row {
    const char* mode;
    std::vector<std::string> first_args;
    int delay;
  };
  const Row rows[] = {
      {"window mode", {}, 300},
      {"resident run", {"-R"}, 511},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mode);
    ServerCopy copy(Delay(row.delay), /*allow_second=*/false);
    const bool resident = !row.first_args.empty();
    Process first = StartAlone(copy, row.first_args, resident);
    Window main = MainWindowOf(first, !resident);
    WaitUntil(
        [&] {
          auto running = RunningCopy();
          return running && running->ProcessId() == first.Id();
        },
        "the first copy's application title");
    if (!resident) {
      ShowWindow(main.handle(), SW_MINIMIZE);
      WaitUntil([&] { return IsIconic(main.handle()) != 0; }, "the first window minimised");
    }

    Process second = copy.Start();
    bool second_showed_window = false;
    PollUntil([&] {
      if (!second.TopWindows({.cls = kMainWindowClass}).empty()) second_showed_window = true;
      return !second.Running();
    });
    EXPECT_EQ(second.WaitExit(Millis(0)), 0u);
    EXPECT_FALSE(second_showed_window);

    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(main.Exists());
    if (resident) {
      // A hidden resident run stays hidden and goes on counting down.
      EXPECT_FALSE(main.Visible());
    } else {
      EXPECT_TRUE(PollUntil([&] {
        return !IsIconic(main.handle()) && GetForegroundWindow() == main.handle();
      })) << "the first window was not brought forward";
    }
  }
}

// A resident start (the daily run) leaves the open window where it is on screen.
TEST(ProgramEntry, AResidentStartBesideTheOpenWindowEndsAndLeavesTheScreenAsItIs) {
  ServerCopy copy(Delay(300), /*allow_second=*/false);
  Process first = StartAlone(copy, {}, false);
  MainWindowOf(first);
  WaitUntil([&] { return RunningCopy() && RunningCopy()->ProcessId() == first.Id(); }, "title");
  HWND other = CreateWindowExW(0, L"STATIC", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               40, 40, 320, 200, nullptr, nullptr, nullptr, nullptr);
  PollUntil([] { return false; }, Millis(1500));  // the first showing settles
  SetForegroundWindow(other);
  WaitUntil([&] { return GetForegroundWindow() == other; }, "the other window in front");
  const std::optional<DWORD> code = copy.Start({"-R"}).WaitExit(Millis(5000));
  PollUntil([] { return false; }, Millis(1500));  // were the running copy to come forward
  const bool in_front = GetForegroundWindow() == other;
  std::printf(
      "Horalux.exe -R beside the open window: %s; in front: %s\n",
      code ? ("ended within 5 s, exit code " + std::to_string(*code)).c_str() : "still running",
      in_front ? "the other program's window" : "Horalux");
  EXPECT_EQ(code, std::optional<DWORD>(0));
  EXPECT_TRUE(in_front);
  DestroyWindow(other);
}

TEST(ProgramEntry, MarkerFileLetsASecondCopyStart) {
  ServerCopy copy;
  Process first = copy.Start();
  Window first_main = MainWindowOf(first);
  first.WaitWindow({.cls = kApplicationClass, .title = kProgramTitle, .visible_only = false});

  Process second = copy.Start();
  Window second_main = MainWindowOf(second);

  EXPECT_NE(first_main, second_main);
  EXPECT_TRUE(first_main.Visible());
  EXPECT_TRUE(second_main.Visible());
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(second.Running());
}

TEST(ProgramEntry, OnlyACapitalRAsSecondCharacterStartsAResidentRun) {
  struct Row {
    std::vector<std::string> args;
    bool resident;
    int delay;
  };
  const Row rows[] = {
      {{"-r", "/r"}, false, 300},
      {{"xR"}, true, 522},
      {{"-Rabc"}, true, 533},
      // Only the second character counts: the "N" does not skip the countdown.
      {{"-RN"}, true, 544},
  };
  for (const Row& row : rows) {
    std::string args;
    for (const auto& a : row.args) args += a + " ";
    SCOPED_TRACE(args);
    ServerCopy copy(Delay(row.delay));
    Process app = copy.Start(row.args);
    if (!row.resident) {
      EXPECT_TRUE(MainWindowOf(app).Visible());
      continue;
    }
    Window main = MainWindowOf(app, /*shown=*/false);
    std::vector<int> first_seen;
    WaitUntil([&] { return !(first_seen = CountdownsFrom(row.delay)).empty(); },
              "the countdown icon");
    const int lowest = *std::min_element(first_seen.begin(), first_seen.end());
    WaitUntil(
        [&] {
          for (int now : CountdownsFrom(row.delay))
            if (now < lowest) return true;
          return false;
        },
        "the countdown going down");
    EXPECT_FALSE(main.Visible());
    EXPECT_TRUE(app.Running());
  }
}

TEST(ProgramEntry, SeparateNParameterSkipsTheCountdown) {
  // A reply longer than 48 bytes fails the first exchange with a socket
  // error, which ends the cycle at once; a silent hand-given server would
  // instead be abandoned for the built-in public servers.
  tools::SntpResponder server(kServer);
  tools::SntpAnswer oversized = tools::SntpAnswer::TrueTime();
  oversized.length = 68;
  server.answer_all(oversized);

  constexpr int kDelay = 555;
  ServerCopy copy(Delay(kDelay));
  Process app = copy.Start({"-R", "-N"});

  bool counted_down = false;
  bool window_shown = false;
  WaitUntil(
      [&] {
        if (CountdownFrom(kDelay)) counted_down = true;
        if (!app.TopWindows({.cls = kMainWindowClass}).empty()) window_shown = true;
        return !app.MessageBoxes().empty();
      },
      "the question after the failed cycle");
  EXPECT_FALSE(counted_down);
  EXPECT_FALSE(window_shown);
  EXPECT_GE(server.request_count(), 1);

  MessageBoxWindow question = app.WaitMessageBox();
  EXPECT_EQ(question.Title(), "　Horalux");
  EXPECT_EQ(question.Text(),
            "インターネットの時刻取得が失敗しました。\r\nHoraluxの設定フォームを表示しますか？");
  question.Press("いいえ");

  MessageBoxWindow farewell = app.WaitMessageBox();
  EXPECT_EQ(farewell.Title(), "Horalux");
  EXPECT_EQ(farewell.Text(), "Horaluxを終了します。");
  farewell.Press("OK");
  EXPECT_EQ(app.WaitExit(), 0u);
}

TEST(ProgramEntry, EveryWayOfClosingTheWindowSavesTheSettingsAndEnds) {
  struct Row {
    const char* how;
    void (*close)(const Window& main, const fs::path& ini);
    const char* active_page;
  };
  const Row rows[] = {
      {"menu",
       [](const Window& main, const fs::path&) {
         main.ChooseMenu({"ファイル(&F)", "終了(&X)"});
       },
       "0"},
      {"access-log button",
       [](const Window& main, const fs::path&) {
         main.Control({.cls = "SysTabControl32"}).SelectTab(" アクセス記録 ");
         main.PushButton("終了").Click();
       },
       "1"},
      {"power broadcast",
       [](const Window& main, const fs::path&) { main.Post(WM_POWERBROADCAST, PBT_APMSUSPEND); },
       "0"},
      {"end of the session",
       [](const Window& main, const fs::path& ini) {
         EXPECT_EQ(main.Send(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
         main.Send(WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
         // Windows may end the process as soon as the answer is in.
         EXPECT_EQ(ReadIni(ini, "Header", "Version"), kProgramVersion);
       },
       "0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.how);
    ServerCopy copy;
    Process app = copy.Start();
    Window main = MainWindowOf(app);
    ASSERT_EQ(ReadIni(copy.ini, "Header", "Version"), std::nullopt);

    row.close(main, copy.ini);
    main.WaitGone();
    EXPECT_EQ(app.WaitExit(), 0u);
    EXPECT_EQ(ReadIni(copy.ini, "Header", "Version"), kProgramVersion);
    EXPECT_EQ(ReadIni(copy.ini, "Jikoku", "ActivePage"), row.active_page);
    EXPECT_EQ(ReadIni(copy.ini, "Jikoku", "edtSNTP"), kServer);
  }
}

TEST(WindowFrame, ShowsTheSettingsScreenWithItsTwoVisibleTabs) {
  ServerCopy copy;
  Process app = copy.Start();
  Window main = MainWindowOf(app);

  EXPECT_EQ(main.Text(), "Horalux");
  EXPECT_EQ(main.ClientSize(), (Size{630, 439}));
  EXPECT_NE(GetMenu(main.handle()), nullptr);
  Window tabs = main.Control({.cls = "SysTabControl32"});
  EXPECT_EQ(tabs.TabCaptions(), (std::vector<std::string>{"　　基本設定　　", " アクセス記録 "}));
  EXPECT_EQ(tabs.SelectedTab(), 0);
  EXPECT_TRUE(main.Control({.cls = "msctls_statusbar32"}).Visible());
  EXPECT_TRUE(main.PushButton("接続テスト").Visible());
  EXPECT_EQ(app.WaitWindow({.cls = kApplicationClass, .visible_only = false}).Text(), "Horalux");

  // Everything painted before the picture is taken.
  RedrawWindow(main.handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  main.Send(WM_NULL);
  const fs::path picture = ArtifactsDir() / L"frame.bmp";
  const Rect outer = main.ScreenRect();
  EXPECT_EQ(SaveScreenshot(picture, main), (Size{outer.width(), outer.height()}));
  std::printf("frame screenshot: %s\n", PathToUtf8(picture).c_str());
}

// A monitor of another resolution: the window lays out every control again
// in proportion, as a per-monitor aware program must.
TEST(WindowFrame, MovingToAScreenOfAnotherResolutionScalesEveryControl) {
  ServerCopy copy;
  Process app = copy.Start();
  Window main = MainWindowOf(app);
  Window button = main.PushButton("接続テスト");
  const Rect before = button.ScreenRect();
  const Rect outer = main.ScreenRect();

  MoveToScreenOfDpi(main, 144);

  const Rect after = button.ScreenRect();
  EXPECT_EQ(after.width(), before.width() * 3 / 2);
  EXPECT_EQ(after.height(), before.height() * 3 / 2);
  EXPECT_EQ(main.ScreenRect().width(), outer.width() * 3 / 2);
  RedrawWindow(main.handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  main.Send(WM_NULL);
  SaveScreenshot(ArtifactsDir() / L"frame-144dpi.bmp", main);
}

}  // namespace
}  // namespace horalux::e2e
