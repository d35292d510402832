// The settings screen as a user meets it: the number fields' arrows, the
// version box reached from the menu and driven with real key presses, and
// pictures of every tab and of the box at two screen resolutions.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/driver.h"

namespace horalux::e2e {
namespace {

namespace fs = std::filesystem;

using Copy = ProgramCopy;

// Real input: it sets the key state the program reads, as typing does.
INPUT Key(WORD key, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = key;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

void Send(const std::vector<INPUT>& in) {
  ASSERT_EQ(SendInput(static_cast<UINT>(in.size()), const_cast<INPUT*>(in.data()), sizeof(INPUT)),
            in.size());
}

// A real left click at a point of the screen.
void ClickAt(Point at) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  auto move = [&](int x, int y) {
    INPUT i{};
    i.type = INPUT_MOUSE;
    i.mi.dx = x * 65535 / (w - 1);
    i.mi.dy = y * 65535 / (h - 1);
    i.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return i;
  };
  // Wine finds the window under the pointer when the pointer moves: one
  // that has not moved since an earlier window lay under it would give the
  // click to that window. Both points lie on the target.
  std::vector<INPUT> in{move(at.x, at.y + 1), move(at.x, at.y), {}, {}};
  in[2].type = in[3].type = INPUT_MOUSE;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[3].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  Send(in);
}

void Forward(const Window& w) {
  SetForegroundWindow(w.handle());
  WaitUntil([&] { return GetForegroundWindow() == w.handle(); }, "window in front");
}

Window OpenVersionBox(const Process& app, const Window& main) {
  main.ChooseMenu({"その他(&O)", "バージョン情報(&B)"});
  Window box = app.WaitWindow({.cls = "TfmAbout", .title = "バージョン情報"});
  WaitUntil([&] { return box.PushButton("閉じる").Visible(); }, "the box's button");
  return box;
}

bool TagShown(const Window& box) {
  auto tag = box.FindControl({.cls = "Static", .text = "083102", .visible_only = true});
  return tag.has_value();
}

TEST(SettingsScreen, TheChienUpArrowStepsByTenAndTheValueIsSaved) {
  Copy copy;
  Process app = copy.Start();
  Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
  // edtChien shows its default, which no other number field has.
  Window chien = main.Control({.cls = "TOrNEdit", .text = "300"});
  Window arrows = chien.NextSibling("msctls_updown32");
  Forward(main);
  // Another program's window (Wine's tray window among them) may lie over the
  // arrow; a real click goes to whatever is on top.
  SetWindowPos(main.handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  const Rect r = arrows.ScreenRect();
  const POINT up{r.left + r.width() / 2, r.top + r.height() / 4};
  WaitUntil([&] { return WindowFromPoint(up) == arrows.handle(); }, "the arrow uncovered");
  ClickAt({up.x, up.y});
  WaitUntil([&] { return chien.Text() == "310"; }, "edtChien at 310");
  main.Close();
  main.WaitGone();
  EXPECT_EQ(app.WaitExit(), 0u);
  EXPECT_EQ(ReadIni(copy.folder() / "Horalux.ini", "Jikoku", "udChien"), "310");
}

TEST(SettingsScreen, VersionBoxShowsTheBuildTagForItsKeysAndClosesOnEnter) {
  Copy copy;
  Process app = copy.Start();
  Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
  Window box = OpenVersionBox(app, main);
  EXPECT_EQ(box.ClientSize(), (Size{304, 170}));
  Forward(box);
  PressKeys({VK_CONTROL, VK_SHIFT, 'J'});
  box.Send(WM_NULL);
  EXPECT_FALSE(TagShown(box)) << "Ctrl+Shift+J alone";
  // Both chords with the modifiers held throughout.
  Send({Key(VK_CONTROL, false), Key(VK_SHIFT, false), Key('V', false), Key('V', true),
        Key('J', false), Key('J', true), Key(VK_SHIFT, true), Key(VK_CONTROL, true)});
  WaitUntil([&] { return TagShown(box); }, "the build tag 083102");
  SavePicture(box, "version-box");
  PressKeys({VK_RETURN});
  box.WaitGone();
  main.Close();
  main.WaitGone();
  EXPECT_EQ(app.WaitExit(), 0u);
}

// Pictures among the test artifacts: every tab and the version box, at 96
// and at 144 pixels per inch (a move to a screen of that resolution).
TEST(SettingsScreen, PicturesOfEveryTabAndTheVersionBoxAtTwoResolutions) {
  Copy copy;
  Process app = copy.Start();
  Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
  Window tabs = main.Control({.cls = "SysTabControl32"});
  main.PushButton("HTTP").Click();
  tabs.SelectTab(0);
  main.PushButton("NTP/SNTP").Click();
  ASSERT_EQ(tabs.TabCount(), 4);
  auto pictures = [&](const std::string& dpi) {
    for (int i = 0; i < 4; ++i) {
      tabs.SelectTab(i);
      SavePicture(main, "tab" + std::to_string(i) + "-" + dpi);
    }
    Window box = OpenVersionBox(app, main);
    // The box opens at the resolution of its own monitor, which Wine keeps at 96.
    if (dpi != "96dpi") MoveToScreenOfDpi(box, 144);
    SavePicture(box, "version-box-" + dpi);
    box.Close();
    box.WaitGone();
  };
  pictures("96dpi");

  MoveToScreenOfDpi(main, 144);
  pictures("144dpi");
  main.Close();
  main.WaitGone();
  EXPECT_EQ(app.WaitExit(), 0u);
}

}  // namespace
}  // namespace horalux::e2e
