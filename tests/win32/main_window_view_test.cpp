// The main window built and drawn by the program's own code on the test's
// thread: what a screen reader learns of its number fields, and its colours
// under a black-on-white high-contrast scheme. Wine refuses to switch high
// contrast on: the colour port reports it, SetSysColors gives the colours.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <array>
#include <iostream>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "win32/app/application_window.h"
#include "win32/app/main_window.h"
#include "win32/app/system_ports.h"
#include "win32/dialogs/version_box.h"
#include "win32/platform/com_ptr.h"
#include "win32/platform/dpi.h"
#include "win32/platform/oleacc.h"
#include "win32/platform/wide.h"
#include "win32/platform/win_clock.h"

namespace horalux {
namespace {

struct ReportedScheme : ColorScheme {
  bool high_contrast() override { return on; }
  bool on = false;
};

// The window over the Windows adapters, as the program makes it.
struct MainWindowView : ::testing::Test {
  MainWindowView() { window.Bind(form); }
  ~MainWindowView() override { window.Destroy(); }
  WinClock clock;
  SystemPorts system;
  ReportedScheme scheme;
  ApplicationWindow app;
  MainWindow window{system.pump, app.hwnd(), scheme};
  TfmJikoku form{system.For(clock, app, window), {}};
};

// What a screen reader learns of a field: role, name, description, value.
std::vector<std::string> Told(IAccessible* acc) {
  VARIANT self{}, role{};
  self.vt = VT_I4;  // CHILDID_SELF
  std::vector<std::string> told{acc->get_accRole(self, &role) == S_OK && role.vt == VT_I4
                                    ? std::to_string(role.lVal)
                                    : "no role"};
  for (auto property :
       {&IAccessible::get_accName, &IAccessible::get_accDescription, &IAccessible::get_accValue}) {
    BSTR text = nullptr;
    told.push_back(SUCCEEDED((acc->*property)(self, &text)) && text ? win32::Narrow(text) : "");
    SysFreeString(text);
  }
  return told;
}

// Through the system's AccessibleObjectFromWindow, for a number field of
// each kind; typing changes the value it reads, and the field's own change
// handler still runs.
TEST_F(MainWindowView, ScreenReaderReadsRoleNameAndValueAndTheValueFollowsTyping) {
  int changes = 0;
  std::vector<Connection> counted;
  for (TOrNumEdit* f : {static_cast<TOrNumEdit*>(&form.Screen().edtGosa), &form.Screen().edtPort})
    counted.push_back(f->OnChange.connect([&changes] { ++changes; }));
  window.show_window();
  const e2e::Window main(window.hwnd());
  const std::string text = std::to_string(ROLE_SYSTEM_TEXT);  // editable text
  const struct {
    e2e::ControlQuery field;
    std::string name, unit, start, value;
    const wchar_t* typed;
  } rows[] = {
      // clang-format off
      {{.cls = "TOrNEdit", .text = "60"}, "エラー回避", "秒以上の時刻の誤差は、時刻を修正しない[ 1 ～ 600秒(10分) ]", "60", "75", L"\x01" L"75"},
      {{.cls = "TOrNumEdit"}, "ポート", "", "", "8080", L"8080"},
      // clang-format on
  };
  for (const auto& row : rows) {
    const HWND field = main.Control(row.field).handle();
    win32::ComPtr<IAccessible> acc;
    ASSERT_EQ(win32::LoadOleacc()->AccessibleObjectFromWindow(
                  field, OBJID_CLIENT, __uuidof(IAccessible), acc.put_void()),
              S_OK);
    EXPECT_EQ(Told(acc.get()), (std::vector{text, row.name, row.unit, row.start}));
    const int before = changes;
    for (const wchar_t* c = row.typed; *c; ++c) SendMessageW(field, WM_CHAR, *c, 1);
    const std::vector<std::string> told = Told(acc.get());
    // What a screen reader is told, in the test's output.
    std::cout << row.name << ": role " << told[0] << ", name \"" << told[1] << "\", value \""
              << told[3] << "\", description \"" << told[2] << "\"\n";
    EXPECT_EQ(told, (std::vector{text, row.name, row.unit, row.value}));
    EXPECT_GT(changes, before) << "the field's own handler";
  }
}

TEST_F(MainWindowView, HttpTabTakesEveryColourFromTheSystemWhileTheSchemeIsOn) {
  window.show_window();
  form.Screen().btnHTTP.Click();
  const e2e::Window main(window.hwnd());
  // The proxy box is off: the port field, the only plain number field, is silver.
  const e2e::Window port = main.Control({.cls = "TOrNumEdit"});
  // The address beside it is a standard field, coloured by the window.
  const e2e::Window address = port.Parent().Control({.cls = "Edit"});
  e2e::SavePicture(main, "tab2-normal");
  EXPECT_EQ(e2e::ShownColorAt(port, {3, 3}), RGB(192, 192, 192));
  EXPECT_EQ(e2e::ShownColorAt(address, {3, 3}), RGB(192, 192, 192));

  scheme.on = true;
  int indexes[] = {COLOR_WINDOW,    COLOR_WINDOWTEXT,   COLOR_BTNFACE,    COLOR_BTNTEXT,
                   COLOR_GRAYTEXT,  COLOR_3DSHADOW,     COLOR_3DDKSHADOW, COLOR_3DHILIGHT,
                   COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT};
  COLORREF white = RGB(255, 255, 255), black = 0, saved[10];
  COLORREF black_on_white[] = {white, black, white, black, RGB(0, 128, 0),
                               black, black, black, black, white};
  for (int i = 0; i < 10; ++i) saved[i] = GetSysColor(indexes[i]);
  // The system tells every window of the new colours; the window follows them.
  SetSysColors(10, indexes, black_on_white);
  SendMessageW(window.hwnd(), WM_SYSCOLORCHANGE, 0, 0);
  e2e::SavePicture(main, "tab2-high-contrast");
  EXPECT_EQ(e2e::ShownColorAt(port, {3, 3}), white) << "silver gave way to the button face";
  EXPECT_EQ(e2e::ShownColorAt(address, {3, 3}), white) << "silver gave way to the button face";
  SetSysColors(10, indexes, saved);
}

// Opened at 96 pixels per inch, each window is moved by Windows to a
// monitor of 144: it names its size there, takes the rectangle it is given,
// and its controls and their fonts come out half as large again.
TEST_F(MainWindowView, MovedFrom96To144DpiTheWindowsGrowByHalf) {
  window.show_window();
  HWND box = win32::CreateVersionBox(window.hwnd(), "Ver0.9.9");
  const struct {
    const char* name;
    HWND window;
    e2e::ControlQuery control;
  } rows[] = {
      {"main window", window.hwnd(), {.cls = "Button", .text = "接続テスト"}},
      {"version box", box, {.cls = "Button", .text = "閉じる"}},
  };
  for (const auto& row : rows) {
    ASSERT_EQ(win32::DpiOfWindow(row.window), 96) << row.name;
    const HWND control = e2e::Window(row.window).Control(row.control).handle();
    // The control's width and height, its font's height.
    auto measure = [&] {
      RECT r;
      GetWindowRect(control, &r);
      LOGFONTW font{};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
                 &font);
      return std::array<int, 3>{r.right - r.left, r.bottom - r.top, -font.lfHeight};
    };
    const auto at96 = measure();
    // As Windows does it: the window's own size first, then the change.
    RECT outer;
    GetWindowRect(row.window, &outer);
    SIZE size{outer.right - outer.left, outer.bottom - outer.top};
    EXPECT_TRUE(
        SendMessageW(row.window, WM_GETDPISCALEDSIZE, 144, reinterpret_cast<LPARAM>(&size)));
    RECT suggested{outer.left, outer.top, outer.left + size.cx, outer.top + size.cy};
    SendMessageW(row.window, WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    const auto at144 = measure();
    std::cout << row.name << " (control; font):";
    for (const auto& at : {at96, at144})
      std::cout << "  " << at[0] << "x" << at[1] << " px; " << at[2] << " px";
    std::cout << "\n";
    for (std::size_t i = 0; i < at96.size(); ++i)
      EXPECT_EQ(at144[i], MulDiv(at96[i], 3, 2)) << row.name << ", measure " << i;
    GetWindowRect(row.window, &outer);
    EXPECT_TRUE(EqualRect(&outer, &suggested)) << row.name;
  }
  DestroyWindow(box);
}

}  // namespace
}  // namespace horalux
