#include "core/desktop/tray_icon.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_notify_shell.h"
#include "tests/fakes/fake_pump.h"
#include "tests/fakes/fake_ui.h"

namespace horalux {
namespace {

using Calls = std::vector<std::string>;
using Refusal = fakes::FakeNotifyShell::Refusal;

constexpr WindowId kOwner = 7;
constexpr ImageId kOwnerIcon = 0x7000;
constexpr std::uint32_t kTimeout = 1460;

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// A clock whose pauses fall in line with the shell's calls ("sleep 100").
class LoggedClock : public fakes::FakeClock {
 public:
  explicit LoggedClock(Calls& calls) : calls_(calls) {}
  void sleep(std::uint32_t ms) override {
    calls_.push_back("sleep " + std::to_string(ms));
    FakeClock::sleep(ms);
  }

 private:
  Calls& calls_;
};

// The ports of one icon, every call logged into the shell's log.
struct Rig {
  Rig() {
    pump.on_process = [this](int) { shell.calls.push_back("process"); };
  }
  TrayIconPorts Ports(TextCodec& codec) { return {shell, focus, clock, pump, codec}; }
  // The pending click's wait, in milliseconds; 0 when none runs.
  std::uint32_t WaitMs() const {
    return pump.timers.empty() ? 0 : pump.timers.begin()->second.interval_ms;
  }
  // Ends the pending click's wait; false when none runs.
  bool EndWait() { return !pump.timers.empty() && pump.fire(pump.timers.begin()->first); }

  fakes::FakeNotifyShell shell;
  fakes::FakePointerFocus focus{shell.calls};
  LoggedClock clock{shell.calls};
  fakes::FakePump pump;
};

class TrayIconTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(TTrayIcon::InstanceCount(), 0u) << "an earlier test left an instance behind";
    shell.window_icons[kOwner] = kOwnerIcon;
  }
  void TearDown() override { EXPECT_EQ(TTrayIcon::InstanceCount(), 0u); }

  std::unique_ptr<TTrayIcon> Make(WindowId owner = kOwner) {
    return std::make_unique<TTrayIcon>(rig.Ports(codec), owner);
  }
  // An icon already in the notification area, with the shell's log cleared.
  std::unique_ptr<TTrayIcon> MakeShown() {
    auto icon = Make();
    icon->SetVisible(true);
    shell.calls.clear();
    shell.records.clear();
    return icon;
  }
  std::string Ansi(const std::string& utf8) { return codec.to_ansi(utf8); }

  Rig rig;
  fakes::FakeNotifyShell& shell = rig.shell;
  fakes::IconvCodec codec;
};

TEST_F(TrayIconTest, TipKeepsAtMost63BytesAndNeverSplitsADoubleByteCharacter) {
  struct Row {
    std::string text, kept;
  } rows[] = {
      {Repeat("a", 70), Repeat("a", 63)},
      {Repeat("a", 63), Repeat("a", 63)},
      {Repeat("あ", 35), Repeat("あ", 31)},              // 70 bytes: byte 63 would be a lead byte
      {"a" + Repeat("あ", 35), "a" + Repeat("あ", 31)},  // exactly 63 bytes fit
      {Repeat("ｱ", 70), Repeat("ｱ", 63)},                // half-width kana take one byte each
      {"Horalux_時刻取得アクセス中", "Horalux_時刻取得アクセス中"},
  };
  for (const Row& row : rows) {
    auto icon = MakeShown();
    icon->SetTipHelp(row.text);
    EXPECT_EQ(icon->TipHelp(), row.kept) << row.text;
    EXPECT_EQ(shell.icons[icon->InstanceNumber()].tip, row.kept) << row.text;
    EXPECT_LE(Ansi(*shell.icons[icon->InstanceNumber()].tip).size(), 63u);
  }
}

TEST_F(TrayIconTest, TipThatKeepsTheSameTextSendsNothing) {
  auto icon = Make();
  EXPECT_EQ(icon->TipHelp(), "TipHelp");
  icon->SetTipHelp("before the icon is added");
  EXPECT_TRUE(shell.calls.empty());

  icon->SetVisible(true);
  EXPECT_EQ(shell.icons[1].tip, "before the icon is added");
  shell.calls.clear();
  icon->SetTipHelp(Repeat("b", 70));
  icon->SetTipHelp(Repeat("b", 70));
  icon->SetTipHelp(Repeat("b", 64));  // cut to the same 63 bytes
  EXPECT_EQ(shell.calls, Calls{"modify 1"});
  icon->SetTipHelp("other");
  EXPECT_EQ(shell.calls, (Calls{"modify 1", "modify 1"}));
}

TEST_F(TrayIconTest, EmptyTipAddsAndModifiesWithoutATip) {
  auto icon = Make();
  icon->SetTipHelp("");
  icon->SetVisible(true);
  icon->SetIcon(0x1234);
  ASSERT_EQ(shell.records.size(), 2u);
  for (const NotifyIconRecord& record : shell.records) {
    EXPECT_FALSE(record.tip.has_value());
    EXPECT_EQ(record.callback_message, 1224u);
  }
  EXPECT_EQ(shell.icons[1].image, 0x1234u);
}

TEST_F(TrayIconTest, HidingKeepsTheIconOnVersion5ShellsAndRemovesItOnOlderOnes) {
  struct Row {
    int version;
    bool long_form;
    Calls calls;
  } rows[] = {
      {6, true, {"add 1", "modify 1", "modify 1", "modify 1", "delete 1"}},
      {5, true, {"add 1", "modify 1", "modify 1", "modify 1", "delete 1"}},
      {4, false, {"add 1", "delete 1", "add 1", "modify 1", "delete 1"}},
  };
  for (const Row& row : rows) {
    Rig fresh_rig;
    fakes::FakeNotifyShell& fresh = fresh_rig.shell;
    fresh.shell_version = row.version;
    fresh.window_icons[kOwner] = kOwnerIcon;
    auto icon = std::make_unique<TTrayIcon>(fresh_rig.Ports(codec), kOwner);
    icon->SetVisible(true);
    icon->SetVisible(false);
    EXPECT_EQ(icon->Added(), row.long_form);
    EXPECT_EQ(fresh.icons.count(1), row.long_form ? 1u : 0u);
    icon->SetVisible(false);  // the current value changes nothing
    icon->SetVisible(true);
    EXPECT_TRUE(icon->Added());
    EXPECT_FALSE(fresh.icons[1].hidden);
    icon->SetTipHelp("tip while shown");
    icon.reset();
    EXPECT_EQ(fresh.calls, row.calls) << row.version;
    for (const NotifyIconRecord& record : fresh.records) {
      EXPECT_EQ(record.long_form, row.long_form);
      if (!row.long_form) {
        EXPECT_FALSE(record.hidden.has_value());
      }
    }
    if (row.long_form) {
      EXPECT_EQ(fresh.records[1].hidden, true);
      EXPECT_EQ(fresh.records[2].hidden, false);
      EXPECT_FALSE(fresh.records[1].image.has_value());  // a state change only
    }
  }
}

TEST_F(TrayIconTest, ImageIsTheOwnIconElseTheOwnersElseTheApplications) {
  struct Row {
    ImageId own;
    WindowId owner;
    ImageId owner_icon, app_icon;
    ImageId sent;  // 0: the icon stays hidden and the shell hears nothing
  } rows[] = {
      {0x11, kOwner, kOwnerIcon, 0x50, 0x11},
      {0, kOwner, kOwnerIcon, 0x50, kOwnerIcon},
      {0, kOwner, 0, 0x50, 0x50},
      {0, 0, kOwnerIcon, 0x50, 0x50},
      {0, kOwner, 0, 0, 0},
  };
  for (const Row& row : rows) {
    Rig fresh_rig;
    fakes::FakeNotifyShell& fresh = fresh_rig.shell;
    fresh.window_icons[kOwner] = row.owner_icon;
    fresh.app_icon = row.app_icon;
    TTrayIcon icon(fresh_rig.Ports(codec), row.owner);
    if (row.own) icon.SetIcon(row.own);
    icon.SetVisible(true);
    EXPECT_EQ(icon.Visible(), row.sent != 0);
    if (row.sent) {
      EXPECT_EQ(fresh.icons[1].image, row.sent);
    } else {
      EXPECT_TRUE(fresh.calls.empty());
    }
  }
}

TEST_F(TrayIconTest, TimedOutAddIsCheckedThenRetriedAtMostFiveTimes) {
  const std::string kRefused = kTrayCannotRegister;
  struct Row {
    const char* name;
    bool xp;
    std::vector<Refusal> refusals;
    bool shown;
    Calls calls;
  } rows[] = {
      {"time-out before XP", false, {{kTimeout}}, false, {"add 1"}},
      {"other refusal", true, {{5}}, false, {"add 1"}},
      {"added despite the time-out", true, {{kTimeout, true}}, true, {"add 1", "modify 1"}},
      {"second retry succeeds",
       true,
       {{kTimeout}, {kTimeout}},
       true,
       {"add 1", "modify 1", "sleep 100", "add 1", "sleep 100", "add 1"}},
      {"fifth retry fails",
       true,
       {{kTimeout}, {kTimeout}, {kTimeout}, {kTimeout}, {kTimeout}, {kTimeout}},
       false,
       {"add 1", "modify 1", "sleep 100", "add 1", "sleep 100", "add 1", "sleep 100", "add 1",
        "sleep 100", "add 1", "sleep 100", "add 1"}},
      {"other refusal on a retry",
       true,
       {{kTimeout}, {kTimeout}, {5}},
       false,
       {"add 1", "modify 1", "sleep 100", "add 1", "sleep 100", "add 1"}},
  };
  for (const Row& row : rows) {
    Rig fresh_rig;
    fakes::FakeNotifyShell& fresh = fresh_rig.shell;
    fresh.xp = row.xp;
    fresh.add_refusals.assign(row.refusals.begin(), row.refusals.end());
    TTrayIcon icon(fresh_rig.Ports(codec), 0);
    if (row.shown) {
      EXPECT_NO_THROW(icon.SetVisible(true)) << row.name;
    } else {
      try {
        icon.SetVisible(true);
        ADD_FAILURE() << row.name << ": no error";
      } catch (const ENotifyIconError& e) {
        EXPECT_EQ(e.what(), kRefused) << row.name;
      }
    }
    EXPECT_EQ(icon.Visible(), row.shown) << row.name;
    EXPECT_EQ(icon.Added(), row.shown) << row.name;
    EXPECT_EQ(fresh.calls, row.calls) << row.name;
  }
}

TEST_F(TrayIconTest, RefusedChangesRaiseTheirMessagesAndKeepTheState) {
  const std::string kSwitch = kTrayCannotSwitch, kRegister = kTrayCannotRegister;
  struct Row {
    const char* name;
    bool hidden_first;
    std::function<void(TTrayIcon&)> act;
    std::string message;
    bool visible_after;
  } rows[] = {
      {"hide", false, [](TTrayIcon& i) { i.SetVisible(false); }, kSwitch, true},
      {"show again", true, [](TTrayIcon& i) { i.SetVisible(true); }, kSwitch, false},
      {"tip", false, [](TTrayIcon& i) { i.SetTipHelp("new"); }, kRegister, true},
      {"image", false, [](TTrayIcon& i) { i.SetIcon(0x99); }, kRegister, true},
  };
  for (const Row& row : rows) {
    auto icon = MakeShown();
    if (row.hidden_first) icon->SetVisible(false);
    shell.modify_refusals.push_back({5});
    try {
      row.act(*icon);
      ADD_FAILURE() << row.name << ": no error";
    } catch (const ENotifyIconError& e) {
      EXPECT_EQ(e.what(), row.message) << row.name;
    }
    EXPECT_EQ(icon->Visible(), row.visible_after) << row.name;
    EXPECT_TRUE(icon->Added()) << row.name;
  }
}

TEST_F(TrayIconTest, InstancesAreNumberedAfterTheLastAndLimitedTo100) {
  std::vector<std::unique_ptr<TTrayIcon>> icons;
  for (int i = 0; i < 100; ++i) icons.push_back(Make());
  EXPECT_EQ(icons.front()->InstanceNumber(), 1u);
  EXPECT_EQ(icons.back()->InstanceNumber(), 100u);
  EXPECT_EQ(shell.callback_window_made, 1);
  EXPECT_EQ(shell.callback_owner, kOwner);
  EXPECT_EQ(shell.callback_message, 1224u);

  try {
    Make();
    ADD_FAILURE() << "the 101st instance was created";
  } catch (const ENotifyIconError& e) {
    EXPECT_EQ(e.what(), std::string(kTrayCannotRegister));
  }
  EXPECT_EQ(TTrayIcon::InstanceCount(), 100u);

  icons[49]->SetVisible(true);
  icons.erase(icons.begin() + 49);  // number 50, added: it leaves the shell too
  EXPECT_TRUE(shell.icons.empty());
  icons.push_back(Make());
  EXPECT_EQ(icons.back()->InstanceNumber(), 101u);
  icons.pop_back();
  icons.push_back(Make());
  EXPECT_EQ(icons.back()->InstanceNumber(), 101u);
  icons.clear();
  EXPECT_EQ(Make()->InstanceNumber(), 1u);
}

TEST_F(TrayIconTest, MouseMessagesRaiseTheirEventsWithThePointerPosition) {
  struct Row {
    std::uint32_t message;
    bool active_by_mouseup;
    Calls calls;
  } rows[] = {
      {512, false, {"move 0 640,700"}},
      {513, false, {"down L 1 640,700"}},
      {514, false, {"up L 1 640,700"}},
      {515, false, {"dblclick"}},
      {516, false, {"down R 2 640,700"}},
      {517, false, {"up R 2 640,700"}},
      {518, false, {}},
      {519, false, {"down M 4 640,700"}},
      {520, false, {"up M 4 640,700"}},
      {513, true, {"down L 1 640,700"}},
      {514, true, {"foreground 9", "up L 1 640,700"}},
      {517, true, {"foreground 9", "up R 2 640,700"}},
      {520, true, {"foreground 9", "up M 4 640,700"}},
  };
  const char* kButtons[] = {"L", "R", "M"};
  for (const Row& row : rows) {
    auto icon = MakeShown();
    rig.focus.active = 9;
    icon->FormActiveByMouseup = row.active_by_mouseup;
    auto button_event = [&](const char* kind) {
      return [this, kind, &kButtons](TTrayIcon&, TMouseButton b, TShiftState s, int x, int y) {
        shell.calls.push_back(std::string(kind) + " " + kButtons[static_cast<int>(b)] + " " +
                              std::to_string(s) + " " + std::to_string(x) + "," +
                              std::to_string(y));
      };
    };
    const Connection down = icon->OnMouseDown.connect(button_event("down"));
    const Connection up = icon->OnMouseUp.connect(button_event("up"));
    const Connection moved =
        icon->OnMouseMove.connect([this](TTrayIcon&, TShiftState s, int x, int y) {
          shell.calls.push_back("move " + std::to_string(s) + " " + std::to_string(x) + "," +
                                std::to_string(y));
        });
    const Connection double_clicked =
        icon->OnDblClick.connect([this](TTrayIcon&) { shell.calls.push_back("dblclick"); });
    shell.mouse(icon->InstanceNumber(), row.message);
    EXPECT_EQ(shell.calls, row.calls) << row.message;
    EXPECT_EQ(rig.WaitMs(), 0u);
  }
}

TEST_F(TrayIconTest, SingleClickIsRaisedOnceAfterTheDoubleClickTimePlus50Ms) {
  for (std::uint32_t double_click_ms : {500u, 900u}) {
    shell.double_click_ms = double_click_ms;
    auto icon = MakeShown();
    int clicks = 0;
    const Connection clicked = icon->OnClick.connect([&](TTrayIcon&) { ++clicks; });
    shell.mouse(1, 513);
    shell.mouse(1, 514);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(rig.WaitMs(), double_click_ms + 50);
    EXPECT_EQ(clicks, 0);
    rig.EndWait();
    EXPECT_EQ(clicks, 1);
  }
}

TEST_F(TrayIconTest, DoubleClickRaisesOnlyOnDblClick) {
  auto icon = MakeShown();
  int clicks = 0, double_clicks = 0;
  const Connection clicked = icon->OnClick.connect([&](TTrayIcon&) { ++clicks; });
  const Connection double_clicked = icon->OnDblClick.connect([&](TTrayIcon&) { ++double_clicks; });
  for (std::uint32_t message : {513, 514, 515, 514}) shell.mouse(1, message);
  while (rig.EndWait()) {
  }
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(double_clicks, 1);
}

TEST_F(TrayIconTest, DisabledIconIgnoresTheMouseAndDropsAPendingClick) {
  auto icon = MakeShown();
  int events = 0;
  const Connection clicked = icon->OnClick.connect([&](TTrayIcon&) { ++events; });
  const Connection moved =
      icon->OnMouseMove.connect([&](TTrayIcon&, TShiftState, int, int) { ++events; });
  shell.mouse(1, 514);
  icon->SetEnabled(false);
  rig.EndWait();
  for (std::uint32_t message : {512, 513, 514, 515, 516, 517}) shell.mouse(1, message);
  EXPECT_EQ(events, 0);
  EXPECT_EQ(rig.WaitMs(), 0u);

  icon->SetEnabled(true);
  shell.mouse(1, 512);
  EXPECT_EQ(events, 1);
}

TEST_F(TrayIconTest, ClickWaitEndingAfterTheIconIsGoneDoesNothing) {
  auto icon = MakeShown();
  int clicks = 0;
  const Connection clicked = icon->OnClick.connect([&](TTrayIcon&) { ++clicks; });
  shell.mouse(1, 514);
  icon.reset();
  auto other = Make();  // takes number 1 again
  const Connection other_clicked = other->OnClick.connect([&](TTrayIcon&) { ++clicks; });
  EXPECT_FALSE(rig.EndWait()) << "the wait outlived its icon";
  EXPECT_EQ(clicks, 0);
}

TEST_F(TrayIconTest, ButtonPressPopsUpItsMenuAtThePointerAfterBringingTheOwnerForward) {
  struct Row {
    const char* name;
    std::uint32_t message;
    bool left_menu, right_menu, auto_popup;
    WindowId owner;
    Calls calls;
  } rows[] = {
      {"right",
       516,
       false,
       true,
       true,
       kOwner,
       {"foreground 7", "process", "OnPopup", "popup 640,700"}},
      {"left",
       513,
       true,
       false,
       true,
       kOwner,
       {"foreground 7", "process", "OnPopup", "popup 640,700"}},
      {"owner not a window", 516, false, true, true, 0, {"OnPopup", "popup 640,700"}},
      {"no AutoPopup", 516, false, true, false, kOwner, {"down"}},
      {"no menu for the button", 513, false, true, true, kOwner, {"down"}},
  };
  for (const Row& row : rows) {
    Rig fresh_rig;
    fakes::FakeNotifyShell& fresh = fresh_rig.shell;
    TPopupMenu menu("PopupMenu1");
    TMenuItem& disp = menu.Add("pmnDisp", "アクセス記録表示(&D)");
    TMenuItem& quit = menu.Add("pmnQuit", "中止＆終了(&X)");
    int quits = 0;
    const Connection counted = quit.OnClick.connect([&] { ++quits; });
    const Connection popped = menu.OnPopup.connect([&] {
      disp.Visible = false;
      fresh.calls.push_back("OnPopup");
    });
    TTrayIcon icon(fresh_rig.Ports(codec), row.owner);
    icon.SetVisible(true);
    fresh.calls.clear();
    icon.LBPopupMenu = row.left_menu ? &menu : nullptr;
    icon.RBPopupMenu = row.right_menu ? &menu : nullptr;
    icon.AutoPopup = row.auto_popup;
    const Connection down = icon.OnMouseDown.connect(
        [&](TTrayIcon&, TMouseButton, TShiftState, int, int) { fresh.calls.push_back("down"); });
    fresh.mouse(1, row.message);
    EXPECT_EQ(fresh.calls, row.calls) << row.name;
    if (fresh.popups.empty()) continue;

    const auto& popup = fresh.popups.front();
    ASSERT_EQ(popup.entries.size(), 2u);
    EXPECT_FALSE(popup.entries[0].visible);
    EXPECT_EQ(popup.entries[1].caption, "中止＆終了(&X)");
    popup.on_choose(1);
    EXPECT_EQ(quits, 1) << row.name;
  }
}

TEST_F(TrayIconTest, EnterOrTheMenuKeyOpensTheMenuAtTheIconAndARightClickOnceAtThePointer) {
  constexpr ScreenPoint kIcon{1000, 740};  // the pointer is at 640,700
  struct Row {
    const char* name;
    std::vector<std::uint32_t> messages;
    std::optional<ScreenPoint> anchor;
    std::size_t popups;
    ScreenPoint last_at;
  } rows[] = {
      {"Enter or Space", {0x401}, kIcon, 1, kIcon},
      {"menu key", {0x7B}, kIcon, 1, kIcon},
      {"menu key, shell without anchor", {0x7B}, std::nullopt, 1, {640, 700}},
      {"right click with its context report", {516, 517, 0x7B}, kIcon, 1, {640, 700}},
      {"right click, then the menu key", {516, 517, 0x7B, 0x7B}, kIcon, 2, kIcon},
  };
  for (const Row& row : rows) {
    Rig fresh_rig;
    TPopupMenu menu("PopupMenu1");
    menu.Add("pmnQuit", "中止＆終了(&X)");
    TTrayIcon icon(fresh_rig.Ports(codec), kOwner);
    icon.SetVisible(true);
    icon.RBPopupMenu = &menu;
    for (std::uint32_t message : row.messages)
      fresh_rig.shell.mouse(icon.InstanceNumber(), message, row.anchor);
    ASSERT_EQ(fresh_rig.shell.popups.size(), row.popups) << row.name;
    const ScreenPoint at = fresh_rig.shell.popups.back().at;
    EXPECT_EQ(std::make_pair(at.x, at.y), std::make_pair(row.last_at.x, row.last_at.y)) << row.name;
  }
}

TEST(PopupMenu, ChoiceRunsOnlyAVisibleEnabledEntry) {
  struct Row {
    bool visible, enabled;
    std::size_t index;
    int clicks;
  } rows[] = {{true, true, 0, 1}, {true, false, 0, 0}, {false, true, 0, 0}, {true, true, 1, 0}};
  for (const Row& row : rows) {
    TPopupMenu menu("PopupMenu1");
    TMenuItem& item = menu.Add("pmnQuit", "中止＆終了(&X)");
    int clicks = 0;
    const Connection counted = item.OnClick.connect([&] { ++clicks; });
    item.Visible = row.visible;
    item.Enabled = row.enabled;
    menu.Choose(row.index);
    EXPECT_EQ(clicks, row.clicks);
  }
}

}  // namespace
}  // namespace horalux
