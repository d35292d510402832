// The driver against windows whose contents are known: a window shown by a
// second copy of this executable (so every read and action crosses a process
// boundary, as with the program under test) and message boxes shown on a
// thread of this process.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/driver.h"

namespace horalux::e2e {
namespace {

// ---- The fixture window, shown by a second copy of this executable ----------

constexpr char kFixtureEnv[] = "HORALUX_E2E_DRIVER_FIXTURE";
constexpr wchar_t kFixtureClass[] = L"HoraluxDriverFixture";
constexpr char kFixtureTitle[] = "ドライバ試験";

enum FixtureId : int {
  kIdTabs = 100,
  kIdCheck,
  kIdAsk,
  kIdLog,
  kIdState,
  kIdHidden,
  kIdHttpPush,
  kIdHttpRadio,
  kIdMenuExit = 200,
};

enum FixtureExit : DWORD { kExitByClose = 3, kExitByPower = 5, kExitByMenu = 7 };

int g_fixture_exit = 0;
HWND g_fixture_state = nullptr;

LRESULT CALLBACK FixtureProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kIdAsk) {
        int answer = MessageBoxW(hwnd, L"一行目\r\n二行目", L"Horalux", MB_YESNO | MB_ICONQUESTION);
        SetWindowTextW(g_fixture_state, answer == IDYES ? L"yes" : answer == IDNO ? L"no" : L"?");
        return 0;
      }
      if (LOWORD(wparam) == kIdMenuExit) {
        g_fixture_exit = kExitByMenu;
        DestroyWindow(hwnd);
        return 0;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->idFrom == kIdTabs && header->code == TCN_SELCHANGE) {
        auto page = L"page " + std::to_wstring(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
        SetWindowTextW(g_fixture_state, page.c_str());
      }
      break;
    }
    case WM_POWERBROADCAST:
      g_fixture_exit = kExitByPower;
      DestroyWindow(hwnd);
      return TRUE;
    case WM_CLOSE:
      g_fixture_exit = kExitByClose;
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(g_fixture_exit);
      return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

int RunFixtureWindow() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = FixtureProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFixtureClass;
  RegisterClassW(&wc);

  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kIdMenuExit, L"終了(&X)");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"ファイル(&F)");

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT r{0, 0, 400, 300};
  AdjustWindowRectEx(&r, style, TRUE, 0);
  HWND main = CreateWindowExW(0, kFixtureClass, Widen(kFixtureTitle).c_str(), style, 40, 40,
                              r.right - r.left, r.bottom - r.top, nullptr, bar, instance, nullptr);
  auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD more, int x, int y, int w, int h,
                   int id) {
    return CreateWindowExW(0, cls, text, WS_CHILD | more, x, y, w, h, main,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  HWND tabs = child(WC_TABCONTROLW, L"", WS_VISIBLE | TCS_BOTTOM, 0, 0, 400, 200, kIdTabs);
  const wchar_t* captions[] = {L"　　基本設定　　", L" アクセス記録 ", L"第三"};
  for (int i = 0; i < 3; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(captions[i]);
    SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  child(L"Button", L"確認する", WS_VISIBLE | BS_AUTOCHECKBOX, 10, 205, 100, 20, kIdCheck);
  child(L"Button", L"表示", WS_VISIBLE | BS_PUSHBUTTON, 10, 230, 80, 24, kIdAsk);
  child(L"Button", L"HTTP", WS_VISIBLE | BS_PUSHBUTTON, 10, 260, 80, 24, kIdHttpPush);
  child(L"Button", L"HTTP", WS_VISIBLE | BS_AUTORADIOBUTTON, 100, 260, 80, 24, kIdHttpRadio);
  child(L"Button", L"隠し", BS_PUSHBUTTON, 100, 205, 80, 20, kIdHidden);
  g_fixture_state = child(L"Static", L"ready", WS_VISIBLE, 100, 232, 90, 20, kIdState);
  child(L"Edit", L"行1\r\n行2\r\n行3", WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_READONLY, 200,
        205, 190, 80, kIdLog);
  ShowWindow(main, SW_SHOW);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

// The second copy turns into the fixture before any test runs.
[[maybe_unused]] const bool kFixtureRan = [] {
  const char* asked = std::getenv(kFixtureEnv);
  if (asked && *asked) ExitProcess(RunFixtureWindow());
  return false;
}();

std::filesystem::path ThisExe() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

Process StartFixture() {
  // The filter keeps the copy from running tests should it not become the fixture.
  return Process::Start(ThisExe(), {"--gtest_filter=-*"}, BuildDir(), {{kFixtureEnv, "1"}});
}

Window WaitFixture(const Process& fixture) {
  return fixture.WaitWindow({.cls = "HoraluxDriverFixture", .title = kFixtureTitle});
}

// ---- Message boxes on a thread of this process --------------------------

class BoxThread {
 public:
  BoxThread(const wchar_t* text, UINT type)
      : thread_([this, text, type] { result_ = MessageBoxW(nullptr, text, L"Horalux", type); }) {}
  ~BoxThread() {
    // A failed test may leave the box open; the thread must not outlive it.
    while (!finished()) {
      for (const auto& box : MessageBoxes(GetCurrentProcessId()))
        PostMessageW(box.window().handle(), WM_COMMAND, IDOK, 0);
      Sleep(50);
    }
    thread_.join();
  }
  int Join() {
    PollUntil([&] { return finished(); });
    return result_;
  }

 private:
  bool finished() const { return result_ != 0; }
  std::atomic<int> result_{0};
  std::thread thread_;
};

// ---- Tests --------------------------------------------------------------

TEST(DriverText, ConvertsCodePage932BothWays) {
  struct Row {
    const char* cp932;
    const char* utf8;
  };
  const Row rows[] = {
      {"\x93\xfa\x96\x7b", "日本"},
      {"C:\\Temp\\", "C:\\Temp\\"},  // 0x5C stays a backslash, not a yen sign
      {"\x83\x5c", "ソ"},            // trail byte 0x5C
      {"\xb1", "ｱ"},                 // half-width katakana
      {"\x87\x40", "①"},             // vendor extension row
      {"\x81\x60", "～"},            // wave dash as Windows maps it (U+FF5E)
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Cp932ToUtf8(row.cp932), row.utf8) << row.utf8;
    EXPECT_EQ(Utf8ToCp932(row.utf8), row.cp932) << row.utf8;
  }
}

TEST(DriverFiles, ReadsIniValuesAndTellsMissingFromEmpty) {
  ScratchDir dir;
  const auto ini = dir / "Horalux.ini";
  WriteFileBytes(ini, "[Header]\r\nVersion=Ver0.9.9\r\n[Jikoku]\r\nudChien=300\r\nedtProxy=\r\n");
  struct Row {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  };
  const Row rows[] = {
      {"Jikoku", "udChien", "300"},   {"jikoku", "UDCHIEN", "300"},
      {"Jikoku", "edtProxy", ""},     {"Jikoku", "edtPort", std::nullopt},
      {"Set", "First", std::nullopt}, {"Header", "Version", "Ver0.9.9"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(ReadIni(ini, row.section, row.key), row.value) << row.section << "." << row.key;
}

TEST(DriverFiles, ScratchFolderHoldsAProgramCopyAndGoesAway) {
  std::filesystem::path folder;
  {
    ScratchDir dir;
    folder = dir.path();
    const auto copy = CopyProgram(dir / "プログラム", ThisExe().filename().string(), "Horalux.exe");
    MakePortable(copy.parent_path());
    EXPECT_EQ(std::filesystem::file_size(copy), std::filesystem::file_size(ThisExe()));
    EXPECT_EQ(ReadIni(copy.parent_path() / "localfol.hlx", "Set", "First"), "0");
    WriteFileBytes(dir / "Jikoku.txt", "\x93\xfa\x96\x7b\r\n");
    EXPECT_EQ(ReadCp932File(dir / "Jikoku.txt"), "日本\r\n");
  }
  if (!std::getenv("HORALUX_E2E_KEEP")) {
    EXPECT_FALSE(std::filesystem::exists(folder));
  }
}

TEST(DriverWindows, ReadsTheControlsOfAnotherProcess) {
  Process fixture = StartFixture();
  Window main = WaitFixture(fixture);

  EXPECT_EQ(main.Text(), kFixtureTitle);
  EXPECT_EQ(main.ClientSize(), (Size{400, 300}));
  const Rect outer = main.ScreenRect();
  const Point origin = main.ClientOrigin();
  EXPECT_TRUE(origin.x >= outer.left && origin.y > outer.top && origin.x + 400 <= outer.right &&
              origin.y + 300 <= outer.bottom);

  Window tabs = main.Control({.cls = "SysTabControl32"});
  EXPECT_EQ(tabs.TabCaptions(),
            (std::vector<std::string>{"　　基本設定　　", " アクセス記録 ", "第三"}));
  EXPECT_EQ(tabs.SelectedTab(), 0);

  EXPECT_FALSE(main.CheckBox("確認する").Checked());
  Window log = main.Control({.cls = "Edit"});
  EXPECT_EQ(log.Text(), "行1\r\n行2\r\n行3");
  EXPECT_EQ(log.EditLineCount(), 3);

  // Controls are found whether shown or not, unless asked for shown ones.
  auto hidden = main.FindControl({.text = "隠し"});
  ASSERT_TRUE(hidden.has_value());
  EXPECT_FALSE(hidden->Visible());
  EXPECT_FALSE(main.FindControl({.text = "隠し", .visible_only = true}).has_value());
  EXPECT_THROW(hidden->Click(), DriverError);

  // A push button and a radio button may share a caption; the kind tells them apart.
  EXPECT_THROW(main.FindControl({.cls = "Button", .text = "HTTP"}), DriverError);
  EXPECT_EQ(main.PushButton("HTTP").Id(), kIdHttpPush);
  EXPECT_EQ(main.RadioButton("HTTP").Id(), kIdHttpRadio);
  EXPECT_THROW(main.Control("Button", "無い", Millis(200)), DriverError);
}

TEST(DriverWindows, ActsOnAnotherProcessAsAUserWould) {
  Process fixture = StartFixture();
  Window main = WaitFixture(fixture);
  Window state = main.Control({.id = kIdState});

  Window check = main.CheckBox("確認する");
  EXPECT_EQ(check.Click(), Settled::Done);
  EXPECT_TRUE(check.Checked());

  Window tabs = main.Control({.cls = "SysTabControl32"});
  EXPECT_EQ(tabs.SelectTab(" アクセス記録 "), Settled::Done);
  EXPECT_EQ(tabs.SelectedTab(), 1);
  EXPECT_EQ(state.Text(), "page 1");

  // The button's handler waits inside the box it opened.
  EXPECT_EQ(main.PushButton("表示").Click(), Settled::Blocked);
  MessageBoxWindow box = fixture.WaitMessageBox();
  EXPECT_EQ(box.Title(), "Horalux");
  EXPECT_EQ(box.Text(), "一行目\r\n二行目");
  EXPECT_EQ(box.ButtonCaptions().size(), 2u);
  box.Press("いいえ");
  WaitUntil([&] { return state.Text() == "no"; }, "the answer No");

  main.ChooseMenu({"ファイル(&F)", "終了(&X)"});
  EXPECT_EQ(fixture.WaitExit(), kExitByMenu);
}

TEST(DriverWindows, ChoosesMenuCommandsByReadingTheMenuWhereItCan) {
  // Wine lets no process read another's menu (the fixture process is walked by
  // its access keys above); this process's own window has a readable one.
  std::atomic<int> code{-1};
  std::thread own([&] { code = RunFixtureWindow(); });
  Window main;
  struct Closer {
    std::thread& thread;
    Window& window;
    ~Closer() {
      if (window) PostMessageW(window.handle(), WM_CLOSE, 0, 0);
      thread.join();
    }
  } closer{own, main};
  main = WaitTopWindow({.cls = "HoraluxDriverFixture", .pid = GetCurrentProcessId()});

  EXPECT_THROW(main.ChooseMenu({"ファイル", "無い"}), DriverError);
  EXPECT_EQ(main.ChooseMenu({"ファイル", "終了"}), Settled::Done);
  EXPECT_FALSE(main.Exists());
  main = Window();
  PollUntil([&] { return code != -1; });
  EXPECT_EQ(code, kExitByMenu);
}

TEST(DriverWindows, EndsAnotherProcessByMessageOrOnDestruction) {
  struct Row {
    const char* how;
    void (*act)(const Window&);
    DWORD exit_code;
  };
  const Row rows[] = {
      {"close", [](const Window& w) { w.Close(); }, kExitByClose},
      {"power broadcast", [](const Window& w) { w.Post(WM_POWERBROADCAST, PBT_APMSUSPEND); },
       kExitByPower},
  };
  for (const auto& row : rows) {
    Process fixture = StartFixture();
    row.act(WaitFixture(fixture));
    EXPECT_EQ(fixture.WaitExit(), row.exit_code) << row.how;
  }

  HANDLE watch = nullptr;
  {
    Process fixture = StartFixture();
    WaitFixture(fixture);
    watch = OpenProcess(SYNCHRONIZE, FALSE, fixture.Id());
    ASSERT_NE(watch, nullptr);
  }
  EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_OBJECT_0);
  CloseHandle(watch);
}

// A start that Wine ends at once, before the program makes a window, is made
// once more; the second start's outcome stands.
TEST(DriverProcess, AStartEndedAtOnceWithCode1IsMadeOnceMore) {
  ScratchDir dir;
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  Process run = Process::Start(std::filesystem::path(system) / L"cmd.exe",
                               {"/c", "echo started>>starts.txt& exit 1"}, dir.path());
  EXPECT_EQ(run.WaitExit(), 1u);
  EXPECT_EQ(ReadFileBytes(dir / "starts.txt"), "started\r\nstarted\r\n");
}

TEST(DriverProcess, EndsWhatTheProgramStartedAlongWithIt) {
  auto shown = [] {
    std::set<HWND> windows;
    for (const auto& w : TopWindows({.cls = "Notepad"})) windows.insert(w.handle());
    return windows;
  };
  const std::set<HWND> before = shown();
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  DWORD started = 0;
  {
    // The shell ends at once and leaves the editor running, as the setup
    // leaves the installed copy.
    Process shell = Process::Start(std::filesystem::path(system) / L"cmd.exe",
                                   {"/c", "start", "notepad.exe"}, BuildDir());
    WaitUntil(
        [&] {
          for (HWND h : shown())
            if (!before.count(h)) started = Window(h).ProcessId();
          return started != 0;
        },
        "the editor started by the shell");
  }
  HANDLE editor = OpenProcess(SYNCHRONIZE, FALSE, started);
  EXPECT_TRUE(editor == nullptr || WaitForSingleObject(editor, 5000) == WAIT_OBJECT_0);
  if (editor) CloseHandle(editor);
}

TEST(DriverMessageBox, PressesTheNamedButtonInAnyLanguage) {
  struct Row {
    UINT type;
    const char* press;
    int result;
  };
  const Row rows[] = {
      {MB_YESNO | MB_ICONQUESTION, "はい", IDYES},
      {MB_YESNO, "No", IDNO},
  };
  for (const auto& row : rows) {
    BoxThread shown(L"テスト\r\n二行目", row.type);
    MessageBoxWindow box = WaitMessageBox(GetCurrentProcessId());
    EXPECT_EQ(box.Title(), "Horalux");
    EXPECT_EQ(box.Text(), "テスト\r\n二行目");
    EXPECT_THROW(box.Press("存在しない"), DriverError);
    box.Press(row.press);
    EXPECT_EQ(shown.Join(), row.result) << row.press;
  }
}

struct BmpHeader {
  bool valid = false;
  int width = 0;
  int height = 0;
  int bits = 0;
  bool uniform = true;
};

BmpHeader ParseBmp(const std::string& bytes) {
  BmpHeader out;
  if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return out;
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER info;
  std::memcpy(&file, bytes.data(), sizeof file);
  std::memcpy(&info, bytes.data() + sizeof file, sizeof info);
  const size_t stride = (static_cast<size_t>(info.biWidth) * 3 + 3) & ~size_t{3};
  out.width = info.biWidth;
  out.height = info.biHeight;
  out.bits = info.biBitCount;
  out.valid = file.bfSize == bytes.size() && file.bfOffBits == 54 &&
              bytes.size() == 54 + stride * static_cast<size_t>(std::abs(info.biHeight));
  for (size_t row = 0; out.valid && row < static_cast<size_t>(std::abs(info.biHeight)); ++row) {
    for (size_t x = 0; x < static_cast<size_t>(info.biWidth); ++x) {
      if (bytes.compare(54 + row * stride + x * 3, 3, bytes, 54, 3) != 0) out.uniform = false;
    }
  }
  return out;
}

TEST(DriverScreenshot, WritesBmpOfTheScreenAndOfOneWindow) {
  ScratchDir dir;
  BoxThread shown(L"画面写し", MB_OK);
  MessageBoxWindow box = WaitMessageBox(GetCurrentProcessId());

  const Size screen = SaveScreenshot(dir / "screen.bmp");
  EXPECT_EQ(screen,
            (Size{GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)}));
  BmpHeader whole = ParseBmp(ReadFileBytes(dir / "screen.bmp").value_or(""));
  EXPECT_TRUE(whole.valid);
  EXPECT_EQ(whole.bits, 24);
  EXPECT_EQ((Size{whole.width, whole.height}), screen);

  const Rect rect = box.window().ScreenRect();
  const Size size = SaveScreenshot(dir / "box.bmp", box.window());
  EXPECT_EQ(size, (Size{rect.width(), rect.height()}));
  BmpHeader one = ParseBmp(ReadFileBytes(dir / "box.bmp").value_or(""));
  EXPECT_TRUE(one.valid);
  EXPECT_EQ((Size{one.width, one.height}), size);
  // The box's text and button show, so the picture is not one flat colour.
  EXPECT_FALSE(one.uniform);
  box.Press("OK");
}

}  // namespace
}  // namespace horalux::e2e
