#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "core/engine/access_log.h"
#include "core/settings/jikoku_screen.h"
#include "win32/app/fonts.h"
#include "win32/engine/log_view.h"
#include "win32/platform/handle.h"
#include "win32/platform/wide.h"
#include "win32/platform/win_files.h"
#include "win32/platform/win_text_codec.h"

namespace horalux {
namespace {

// A hidden window holding the access-log view as the main window lays it out:
// multi-line, read-only, wrapping, 612 pixels wide, 16-pixel Gothic.
class LogWindow {
 public:
  LogWindow() : font_(CreateGothicFont(16, true, 96)) {
    frame_ = CreateWindowExW(0, L"STATIC", L"log view test", WS_OVERLAPPEDWINDOW, 0, 0, 660, 400,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                ES_READONLY | WS_TABSTOP,
                            4, 4, 612, 360, frame_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    // Left hidden: the control wraps all the same, and a shown window takes
    // Wine seconds to destroy.
  }
  ~LogWindow() { DestroyWindow(frame_); }
  HWND edit() const { return edit_; }
  // Characters of a shown line, from the control itself.
  int ShownLineLength(int line) {
    LRESULT start = SendMessageW(edit_, EM_LINEINDEX, line, 0);
    return static_cast<int>(SendMessageW(edit_, EM_LINELENGTH, start, 0));
  }

 private:
  win32::UniqueGdi<HFONT> font_;
  HWND frame_ = nullptr;
  HWND edit_ = nullptr;
};

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(WinLogView, LongLineWrapsIntoSeveralShownLinesAndJapaneseRoundTrips) {
  LogWindow window;
  WinLogView view(window.edit());
  const std::string line = Repeat("時刻を修正しました", 20);  // 180 full-width characters
  view.set_text(line + "\r\n表示ソフト\\");
  EXPECT_GT(view.shown_line_count(), 4);
  EXPECT_EQ(view.text(), line + "\r\n表示ソフト\\");
}

TEST(WinLogView, ShownLinesCountAnEmptyLastLineButNothingWhenEmpty) {
  struct Row {
    const char* text;
    int shown;
  } rows[] = {{"", 0}, {"a", 1}, {"a\r\n", 2}, {"a\r\nb", 2}, {"\r\n", 2}, {"\r\n\r\nx", 3}};
  LogWindow window;
  WinLogView view(window.edit());
  for (const Row& row : rows) {
    view.set_text(row.text);
    EXPECT_EQ(view.shown_line_count(), row.shown) << row.text;
  }
}

TEST(WinLogView, DeletingTheTopShownLineOfAWrappedLineRemovesOnlyItsFirstPart) {
  LogWindow window;
  WinLogView view(window.edit());
  const std::string wide = Repeat("あ", 100);
  view.set_text(wide + "\r\n次の行");
  int shown = view.shown_line_count();
  ASSERT_GT(shown, 2);
  int first_part = window.ShownLineLength(0);
  ASSERT_GT(first_part, 0);
  ASSERT_LT(first_part, 100);

  view.delete_top_shown_lines(1);
  EXPECT_EQ(view.shown_line_count(), shown - 1);
  EXPECT_EQ(view.text(), Repeat("あ", 100 - first_part) + "\r\n次の行");

  // The rest of the wrapped line, with its line break.
  view.delete_top_shown_lines(shown - 2);
  EXPECT_EQ(view.text(), "次の行");
  view.delete_top_shown_lines(5);
  EXPECT_EQ(view.text(), "");
  EXPECT_EQ(view.shown_line_count(), 0);
}

TEST(WinLogView, AppendsAtTheEndOfALogLongerThanTheDefaultLimit) {
  LogWindow window;
  WinLogView view(window.edit());
  const std::string text = Repeat(Repeat("x", 70) + "\r\n", 600);  // 43200 characters
  view.set_text(text);
  view.append_text("\r\n末尾");
  EXPECT_EQ(view.text(), text + "\r\n末尾");
}

TEST(WinLogView, CaretGoesToTheStartOfAShownLine) {
  struct Row {
    int set, expected;
  } rows[] = {{49, 49}, {0, 0}, {10, 10}, {1000, 49}};
  LogWindow window;
  WinLogView view(window.edit());
  std::string text;
  for (int i = 0; i < 50; ++i) text += (i ? "\r\n" : "") + std::to_string(i);
  view.set_text(text);
  for (const Row& row : rows) {
    view.set_caret_line(row.set);
    EXPECT_EQ(view.caret_line(), row.expected) << row.set;
  }
  view.focus();
  EXPECT_EQ(GetFocus(), window.edit());
}

TEST(WinLogView, HoldsItsTextUntilItsControlIsNeededAndThenHasItMade) {
  LogWindow window;
  WinLogView view;
  int made = 0;
  view.set_control_maker([&] {
    ++made;
    view.attach(window.edit());
  });
  view.set_text("一行目");
  view.append_text("\r\n二行目");
  EXPECT_EQ(view.text(), "一行目\r\n二行目");
  EXPECT_EQ(GetWindowTextLengthW(window.edit()), 0);
  EXPECT_EQ(made, 0);

  EXPECT_EQ(view.shown_line_count(), 2);
  EXPECT_EQ(made, 1);
  wchar_t shown[16] = {};
  GetWindowTextW(window.edit(), shown, 16);
  EXPECT_EQ(win32::Narrow(shown), "一行目\r\n二行目");
  view.set_caret_line(1);
  EXPECT_EQ(view.caret_line(), 1);
  EXPECT_EQ(made, 1);
}

// Each change leaves the page that holds the view as shown or hidden as it
// was, whatever the view does to its drawing meanwhile.
TEST(WinLogView, ChangesLeaveItsPageShownOrHidden) {
  HWND frame = CreateWindowExW(0, L"STATIC", L"log page test", WS_OVERLAPPEDWINDOW, 0, 0, 660, 400,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(frame, SW_SHOWNOACTIVATE);
  for (const bool page_shown : {true, false}) {
    HWND page = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | (page_shown ? WS_VISIBLE : 0), 0, 0,
                                640, 380, frame, nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 4, 4, 600,
                                360, page, nullptr, GetModuleHandleW(nullptr), nullptr);
    WinLogView view(edit);
    const std::function<void()> changes[] = {
        [&] { view.set_text("1\r\n2\r\n3"); }, [&] { view.append_text("\r\n4"); },
        [&] { view.delete_top_shown_lines(1); }, [&] { view.scroll_lines(2); },
        [&] { view.set_caret_line(2); }};
    for (const auto& change : changes) {
      change();
      EXPECT_EQ(IsWindowVisible(page) != FALSE, page_shown);
    }
    EXPECT_EQ(view.text(), "2\r\n3\r\n4");
    DestroyWindow(page);
  }
  DestroyWindow(frame);
}

// A clock standing at 2006-08-31 9:00:01 (a Thursday).
class FixedClock : public Clock {
 public:
  SystemTimeFields local_time() override { return {2006, 8, 4, 31, 9, 0, 1, 0}; }
  ClockSet set_system_time_utc(const SystemTimeFields&) override { return ClockSet::Failed; }
  std::int64_t performance_counter() override { return 0; }
  std::int64_t performance_frequency() override { return 1; }
  std::uint32_t tick_count() override { return 0; }
  void sleep(std::uint32_t) override {}
  TimeZoneReport time_zone() override { return {}; }
};

class JapaneseLocale : public LocaleInfo {
 public:
  std::string abbreviated_day_name(int day_of_week) override {
    return day_of_week == 4 ? "木" : "?";
  }
  std::string long_time(int hour, int minute, int second) override {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d", hour, minute, second);
    return buf;
  }
  std::string thousands_separator() override { return ","; }
  std::string decimal_separator() override { return "."; }
};

// A log folder of its own under the temporary folder.
std::string MakeLogFolder(WinFiles& files, const char* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::string folder = win32::Narrow(temp) + name + "\\";
  files.make_folder(folder);
  return folder;
}

// "\r\n[ 2006/08/31(木) 9:00:01 ]自動設定(NTP/SNTP)" in code page 932 (iconv -t CP932).
const std::string kHeaderBytes =
    "\r\n[ 2006/08/31(\x96\xd8) 9:00:01 ]\x8e\xa9\x93\xae\x90\xdd\x92\xe8(NTP/SNTP)";

struct LogRig {
  explicit LogRig(const char* folder_name) {
    screen.cbSNTPAuto.SetChecked(true);
    folder = MakeLogFolder(files, folder_name);
    log.logFilePath = folder + "Jikoku.txt";
    files.remove(log.logFilePath);
  }
  ~LogRig() {
    files.remove(log.logFilePath);
    RemoveDirectoryW(win32::Widen(folder).c_str());
  }
  LogWindow window;
  WinLogView view{window.edit()};
  WinFiles files;
  WinTextCodec codec;
  FixedClock clock;
  JapaneseLocale locale;
  JikokuScreen screen;
  std::string folder;
  AccessLog log{
      {files, codec, clock, locale, view}, screen, [] { return false; }, [] { return false; }};
};

TEST(AccessLogOnWindows, FileIsCodePage932WithCrLfLineEnds) {
  LogRig rig("horalux_log_bytes");
  rig.log.BeginLogEntry();
  rig.log.AddLogLine("接続テストで時刻を修正しました");
  rig.log.AddLogLine("表示ソフト\\");
  rig.log.CommitLogEntry();
  auto bytes = rig.files.read(rig.log.logFilePath);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, kHeaderBytes +
                        "\r\n\x90\xda\x91\xb1\x83\x65\x83\x58\x83\x67\x82\xc5\x8e\x9e\x8d\x8f"
                        "\x82\xf0\x8f\x43\x90\xb3\x82\xb5\x82\xdc\x82\xb5\x82\xbd"
                        "\r\n\x95\x5c\x8e\xa6\x83\x5c\x83\x74\x83\x67\x5c\r\n");
  EXPECT_FALSE(rig.files.exists(rig.log.logFilePath + ".new"));
}

TEST(AccessLogOnWindows, TrimmingCutsTheWrappedLineAsShownAndTheFileFollowsTheView) {
  LogRig rig("horalux_log_trim");
  // 100 times "あ" (82 A0) wraps in the view; a short line follows.
  rig.files.write(rig.log.logFilePath, Repeat("\x82\xa0", 100) + "\r\nabc\r\n");
  rig.log.LoadAtStartup();
  int shown = rig.view.shown_line_count();
  ASSERT_GT(shown, 2);
  int first_part = rig.window.ShownLineLength(0);
  // One entry of three lines over a limit that leaves room for all but one
  // shown line.
  rig.screen.udGyou.SetPosition(shown + 2);
  rig.log.BeginLogEntry();
  rig.log.AddLogLine("ok");
  rig.log.CommitLogEntry();

  EXPECT_EQ(rig.view.shown_line_count(), shown + 2);
  EXPECT_EQ(rig.view.text(), Repeat("あ", 100 - first_part) +
                                 "\r\nabc\r\n\r\n[ 2006/08/31(木) "
                                 "9:00:01 ]自動設定(NTP/SNTP)\r\nok");
  auto bytes = rig.files.read(rig.log.logFilePath);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes,
            Repeat("\x82\xa0", 100 - first_part) + "\r\nabc\r\n" + kHeaderBytes + "\r\nok\r\n");
}

}  // namespace
}  // namespace horalux
