#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/controls/num_edit.h"
#include "core/settings/number_fields.h"
#include "win32/controls/num_edit_view.h"
#include "win32/dialogs/version_box.h"
#include "win32/platform/wide.h"
#include "win32/platform/win_clipboard.h"

namespace horalux {
namespace {

class CountingBeeper : public Beeper {
 public:
  void beep() override { ++beeps; }
  int beeps = 0;
};

// Two main-window fields on a hidden frame, fed real window messages.
class NumEditWindow : public ::testing::Test {
 protected:
  NumEditWindow() {
    ShapeNumberField(gosa_, NumberOf<&JikokuScreen::edtGosa>());
    ShapeNumberField(jisa_, NumberOf<&JikokuScreen::edtJisa>());
    frame_ = CreateWindowExW(0, L"STATIC", L"numeric field test", WS_OVERLAPPEDWINDOW, 0, 0, 300,
                             120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    clipboard_.set_owner(frame_);
    gosa_hwnd_ =
        win32::CreateNumEdit(gosa_, frame_, RECT{8, 8, 58, 28}, nullptr, clipboard_, beeper_);
    jisa_hwnd_ =
        win32::CreateNumEdit(jisa_, frame_, RECT{8, 40, 58, 60}, nullptr, clipboard_, beeper_);
  }
  ~NumEditWindow() override { DestroyWindow(frame_); }

  static std::string Text(HWND hwnd) {
    wchar_t buf[64];
    int n = GetWindowTextW(hwnd, buf, 64);
    return win32::Narrow(buf, n);
  }
  static void Type(HWND hwnd, const std::wstring& chars, UINT msg = WM_CHAR) {
    for (wchar_t c : chars) SendMessageW(hwnd, msg, c, 1);
  }

  TOrNEdit gosa_{"edtGosa"};
  TOrNEdit jisa_{"edtJisa"};
  win32::WinClipboard clipboard_;
  CountingBeeper beeper_;
  HWND frame_ = nullptr;
  HWND gosa_hwnd_ = nullptr;
  HWND jisa_hwnd_ = nullptr;
};

TEST_F(NumEditWindow, FullWidthTypingSignRefusalPasteAndUndo) {
  ASSERT_NE(gosa_hwnd_, nullptr);
  Type(gosa_hwnd_, L"１２");
  Type(gosa_hwnd_, L"３", WM_IME_CHAR);
  EXPECT_EQ(Text(gosa_hwnd_), "123");

  Type(gosa_hwnd_, L"-");
  EXPECT_EQ(Text(gosa_hwnd_), "123");
  EXPECT_EQ(beeper_.beeps, 1);
  Type(jisa_hwnd_, L"5-");
  EXPECT_EQ(Text(jisa_hwnd_), "-5");
  EXPECT_EQ(beeper_.beeps, 1);

  clipboard_.set_text("1,000");
  Type(gosa_hwnd_, L"\x01\x16");  // Ctrl+A, Ctrl+V
  EXPECT_EQ(Text(gosa_hwnd_), "1000");
  gosa_.Undo();
  EXPECT_EQ(Text(gosa_hwnd_), "123");
}

// Windows takes text only from a clipboard emptied in a window's name.
TEST_F(NumEditWindow, CopyAndCutHandTheValueToThePasteInTheWindowsName) {
  struct Row {
    const char* value;
    wchar_t take;  // Ctrl+C or Ctrl+X
  };
  for (const Row& row : {Row{"120", 0x03}, Row{"-45", 0x18}, Row{"", 0x03}}) {
    jisa_.SetText(row.value);
    Type(jisa_hwnd_, {L'\x01', row.take});
    EXPECT_EQ(GetClipboardOwner(), frame_) << row.value;
    EXPECT_EQ(Text(jisa_hwnd_), row.take == 0x18 ? "" : row.value);
    jisa_.SetText("9");
    Type(jisa_hwnd_, L"\x01\x16");  // Ctrl+A, Ctrl+V
    EXPECT_EQ(Text(jisa_hwnd_), row.value);
  }
}

TEST_F(NumEditWindow, WindowTextIsCutToTheBufferAndEndsWithNul) {
  SendMessageW(gosa_hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"－１，２３４"));
  EXPECT_EQ(gosa_.Text(), "-1234");
  wchar_t buf[4] = {L'x', L'x', L'x', L'x'};
  LRESULT n = SendMessageW(gosa_hwnd_, WM_GETTEXT, 3, reinterpret_cast<LPARAM>(buf));
  EXPECT_EQ(n, 2);
  EXPECT_EQ(std::wstring(buf), L"-1");
  EXPECT_EQ(buf[3], L'x');
}

// The port field (AutoSize) fits its client height to the font and margins;
// a navigating field keeps the height it was given.
TEST_F(NumEditWindow, AutoSizeFitsTheClientHeightToTheFont) {
  TOrNumEdit port{"edtPort"};
  HFONT font = CreateFontW(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
  HWND port_hwnd =
      win32::CreateNumEdit(port, frame_, RECT{8, 70, 108, 80}, nullptr, clipboard_, beeper_);
  for (HWND field : {port_hwnd, gosa_hwnd_}) SendMessageW(field, WM_SETFONT, (WPARAM)font, FALSE);
  HDC dc = GetDC(port_hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(port_hwnd, dc);
  RECT client;
  GetClientRect(port_hwnd, &client);
  EXPECT_EQ(client.bottom, tm.tmHeight + port.TopMargin + port.BottomMargin);
  RECT outer;
  GetWindowRect(gosa_hwnd_, &outer);
  EXPECT_EQ(outer.bottom - outer.top, 20);
  DestroyWindow(port_hwnd);
  DeleteObject(font);
}

BOOL CALLBACK FindShownText(HWND child, LPARAM lp) {
  auto* wanted = reinterpret_cast<std::pair<std::wstring, bool>*>(lp);
  wchar_t buf[32] = {};
  GetWindowTextW(child, buf, 32);
  if (buf == wanted->first && IsWindowVisible(child)) wanted->second = true;
  return TRUE;
}

bool ShowsText(HWND box, const std::wstring& text) {
  std::pair<std::wstring, bool> wanted{text, false};
  EnumChildWindows(box, FindShownText, reinterpret_cast<LPARAM>(&wanted));
  return wanted.second;
}

TEST(VersionBoxWindow, ScaledClientAreaBuildTagAndEnter) {
  HWND box = win32::CreateVersionBox(nullptr, "Ver0.9.9");
  ASSERT_NE(box, nullptr);
  RECT rc;
  GetClientRect(box, &rc);
  EXPECT_EQ(rc.right, 304);
  EXPECT_EQ(rc.bottom, 170);
  // The size it asks for on a monitor of 120 pixels per inch.
  SIZE size{};
  SendMessageW(box, WM_GETDPISCALEDSIZE, 120, reinterpret_cast<LPARAM>(&size));
  rc = RECT{0, 0, 380, 212};
  AdjustWindowRectExForDpi(&rc, GetWindowLongW(box, GWL_STYLE), FALSE,
                           GetWindowLongW(box, GWL_EXSTYLE), 120);
  EXPECT_EQ(size.cx, rc.right - rc.left);
  EXPECT_EQ(size.cy, rc.bottom - rc.top);
  EXPECT_TRUE(ShowsText(box, L"0.9.9"));

  BYTE saved[256], held[256];
  GetKeyboardState(saved);
  memcpy(held, saved, sizeof held);
  held[VK_SHIFT] = held[VK_CONTROL] = 0x80;
  SetKeyboardState(held);
  HWND button = FindWindowExW(box, nullptr, L"BUTTON", nullptr);
  MSG key{button, WM_KEYDOWN, 'J', 0, 0, {}};
  win32::VersionBoxPreview(box, key);
  EXPECT_FALSE(ShowsText(box, L"083102"));  // J alone
  key.wParam = 'V';
  win32::VersionBoxPreview(box, key);
  key.wParam = 'J';
  win32::VersionBoxPreview(box, key);
  SetKeyboardState(saved);
  EXPECT_TRUE(ShowsText(box, L"083102"));

  key.wParam = VK_RETURN;
  EXPECT_TRUE(win32::VersionBoxPreview(box, key));
  EXPECT_FALSE(IsWindow(box));
}

}  // namespace
}  // namespace horalux
