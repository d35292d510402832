// The settings screen from the keyboard alone, with real key presses: Tab
// and Shift+Tab walk every page in reading order, Ctrl+Tab with its
// companions turns the pages, and the menus open with their access keys.
#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"

namespace horalux::e2e {
namespace {

// A control as a user tells it: a button by its caption, a field by the
// label before it, and the tab row and the log view by what they are.
std::string Spoken(HWND hwnd) {
  const Window w(hwnd);
  const std::string cls = w.ClassName();
  if (cls == "SysTabControl32") return "(tab row)";
  if (GetWindowLongW(hwnd, GWL_STYLE) & ES_MULTILINE) return "(log view)";
  if (cls == "Button") return w.Text();
  for (HWND before = GetWindow(hwnd, GW_HWNDPREV); before;
       before = GetWindow(before, GW_HWNDPREV)) {
    const std::string label = Window(before).Text();
    const std::size_t colon = label.find("：");
    if (Window(before).ClassName() == "Static" && colon != std::string::npos)
      return "[" + label.substr(0, std::min(colon, label.find("　"))) + "]";
  }
  return cls + " " + w.Text();
}

// Presses Tab (or Shift+Tab) until the focus comes back to the tab row,
// listing every control it stops at on the way.
std::vector<std::string> Walk(const Window& main, bool back) {
  auto press = [&] {
    HWND before = FocusedControl(main);
    PressKeys(back ? std::vector<WORD>{VK_SHIFT, VK_TAB} : std::vector<WORD>{VK_TAB});
    if (!PollUntil([&] { return FocusedControl(main) != before; }))
      throw DriverError("the focus stayed on " + Window(before).Describe());
  };
  for (int i = 0; i < 30 && Spoken(FocusedControl(main)) != "(tab row)"; ++i) press();
  std::vector<std::string> stops;
  do {
    press();
    stops.push_back(Spoken(FocusedControl(main)));
  } while (stops.back() != "(tab row)" && stops.size() < 30);
  return stops;
}

TEST(Keyboard, TabWalksEveryPageInReadingOrderAndCtrlTabTurnsThePages) {
  // Every control enabled: the proxy panel and the hand-given server field.
  ProgramCopy copy("[Jikoku]\r\ncbProxy=1\r\ncbSNTP=1\r\n");
  Process app;
  Window main = copy.StartWindow(app);
  Window tabs = main.Control({.cls = "SysTabControl32"});
  main.PushButton("HTTP").Click();
  tabs.SelectTab(0);
  main.PushButton("NTP/SNTP").Click();
  ASSERT_EQ(tabs.TabCount(), 4);
  SetForegroundWindow(main.handle());
  WaitUntil([&] { return GetForegroundWindow() == main.handle(); }, "the window in front");

  const std::vector<std::vector<std::string>> expected = {
      {"コンピュータ起動時にインターネットから時刻を取り込む",
       "接続テスト以外で、時刻が取れない場合、その故を表示する", "NTP/SNTP", "接続テスト",
       "接続テストで、内蔵時計を修正する。", "HTTP", "NTP/SNTP", "[動作遅延]", "[エラー回避]",
       "[アクセス記録]", "[時差の調整]", "(tab row)"},
      {"最初", "最後", "終了", "(log view)", "(tab row)"},
      {"[微調整]", "Fennick標準時１", "プロキシサーバーを使用する", "[アドレス]", "[ポート]",
       "← 自動取得", "時刻取得時に、自動でプロキシサーバーのチェックを行わない",
       "秒の境目を測って精密に合わせる（数回アクセスします）(&M)", "(tab row)"},
      {"[微調整]", "← 測定", "(Ｓ)ＮＴＰサーバーのホスト名は自動設定",
       "(Ｓ)ＮＴＰサーバーのホスト名（又はＩＰアドレス）を任意に設定する", "[ホスト名]",
       "(tab row)"},
  };
  for (int page = 0; page < 4; ++page) {
    tabs.SelectTab(page);
    const std::vector<std::string> forward = Walk(main, false);
    // The walk as a user meets it, in the test's output.
    std::cout << "Tab walk of " << tabs.TabCaptions()[page] << ":";
    for (const auto& stop : forward) std::cout << " | " << stop;
    std::cout << "\n";
    EXPECT_EQ(forward, expected[page]) << "page " << page;
    // Shift+Tab: the same stops the other way round.
    std::vector<std::string> reversed(expected[page].rbegin() + 1, expected[page].rend());
    reversed.push_back("(tab row)");
    EXPECT_EQ(Walk(main, true), reversed) << "page " << page << " with Shift+Tab";
  }

  tabs.SelectTab(0);
  struct Turn {
    std::vector<WORD> keys;
    int page;
  } turns[] = {
      {{VK_CONTROL, VK_TAB}, 1}, {{VK_CONTROL, VK_TAB}, 2},           {{VK_CONTROL, VK_NEXT}, 3},
      {{VK_CONTROL, VK_TAB}, 0}, {{VK_CONTROL, VK_SHIFT, VK_TAB}, 3}, {{VK_CONTROL, VK_PRIOR}, 2},
  };
  for (const Turn& turn : turns) {
    PressKeys(turn.keys);
    WaitUntil([&] { return tabs.SelectedTab() == turn.page; }, "page " + std::to_string(turn.page));
    EXPECT_TRUE(IsWindowVisible(FocusedControl(main))) << "the focus stays on a shown control";
  }

  // The menus' access keys, and Esc closing the version box.
  PressKeys({VK_MENU, 'O'});
  PollUntil([&] { return FindWindowW(L"#32768", nullptr) != nullptr; });
  PressKeys({'B'});
  Window box = app.WaitWindow({.cls = "TfmAbout", .title = "バージョン情報"});
  WaitUntil([&] { return GetForegroundWindow() == box.handle(); }, "the version box in front");
  PressKeys({VK_ESCAPE});
  box.WaitGone();
  main.Close();
  EXPECT_EQ(app.WaitExit(), 0u);
}

}  // namespace
}  // namespace horalux::e2e
