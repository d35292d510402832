// Runs connection tests in a row in one Horalux.exe, first against an SNTP
// responder, then through an HTTP responder, for bench/soak.sh, which reads
// the processes' figures from /proc between two cycles:
//   soak.exe [cycles]     cycles of each source, default 1000
// It prints "ready" once the window is up, then one line per cycle
//   cycle SOURCE N MS FILE_LINES VIEW_LINES
// and waits for a line on its standard input before the next cycle, so that
// every sample finds the program idle. "done" when the program has closed.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/e2e/sync_checks.h"
#include "tools/lib/http_responder.h"

namespace {

using namespace horalux::e2e;
using Clock = std::chrono::steady_clock;

constexpr char kServer[] = "127.0.0.34";
// Where the hosts file of the tests' namespace puts the selected page's host.
constexpr char kPageHost[] = "127.0.0.71";
constexpr char kBasicTab[] = "　　基本設定　　";
constexpr int kLogLimit = 100;

Window LogView(const Window& main) {
  for (const auto& edit : main.Controls({.cls = "Edit"})) {
    const LONG style = GetWindowLongW(edit.handle(), GWL_STYLE);
    if ((style & ES_MULTILINE) && (style & ES_READONLY)) return edit;
  }
  throw DriverError("no log view in\n" + main.DescribeTree());
}

void WaitForGo() {
  char line[64];
  if (!std::fgets(line, sizeof line, stdin)) throw DriverError("the sampler went away");
}

// One connection test from the basic tab; returns once its entry is in the
// file and the window answers again. A box means something went wrong.
double Cycle(const Process& app, const Window& main, const std::filesystem::path& log) {
  main.Control({.cls = "SysTabControl32"}).SelectTab(kBasicTab);
  const auto before = StampOf(log);
  const auto start = Clock::now();
  // The entry tells the end: Wine loses the completion notice of a click
  // whose handler processes messages.
  main.PushButton("接続テスト").Click(Millis(0));
  WaitUntil([&] { return StampOf(log) != before || !app.MessageBoxes().empty(); },
            "the committed entry", Millis(30000));
  if (!app.MessageBoxes().empty())
    throw DriverError("a box instead of the entry: " + app.MessageBoxes().front().Text());
  main.Send(WM_NULL);
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  // Lines end with LF alone for the shell that reads them.
  _setmode(_fileno(stdout), _O_BINARY);
  const int cycles = argc > 1 ? std::max(1, _wtoi(argv[1])) : 1000;
  try {
    auto sntp = Responder(kServer);
    horalux::tools::HttpResponder page(kPageHost, 80);
    page.answer_all(horalux::tools::HttpReply::TimePage());

    // The hand-given SNTP server, connection tests that only test (Wine's
    // clock call refuses a step beyond half a second, which the page's time
    // reaches on a busy machine), and a log already at its limit.
    const ProgramCopy copy(
        std::string("[Jikoku]\r\ncbSNTPAuto=0\r\ncbSNTP=1\r\nedtSNTP=") + kServer +
        "\r\ncbSetuzokuT=0\r\ncbNoCkProxy=1\r\nudGyou=" + std::to_string(kLogLimit) + "\r\n");
    std::string log;
    for (int i = 1; i <= kLogLimit; ++i) log += "line " + std::to_string(i) + "\r\n";
    const auto log_file = copy / "Jikoku.txt";
    WriteFileBytes(log_file, log);

    Process app = copy.Start();
    const Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
    const Window view = LogView(main);
    main.Send(WM_NULL);
    std::printf("ready GetGuiResources GDI %lu USER %lu, GetProcessHandleCount %lu\n",
                GetGuiResources(app.handle(), GR_GDIOBJECTS),
                GetGuiResources(app.handle(), GR_USEROBJECTS), [&] {
                  DWORD count = 0;
                  GetProcessHandleCount(app.handle(), &count);
                  return count;
                }());
    WaitForGo();

    for (const char* source : {"SNTP", "HTTP"}) {
      if (source[0] == 'H') {
        main.Control({.cls = "SysTabControl32"}).SelectTab(kBasicTab);
        main.RadioButton("HTTP").Click();
      }
      for (int n = 1; n <= cycles; ++n) {
        const double ms = Cycle(app, main, log_file);
        const auto lines = Lines(ReadCp932File(log_file).value_or(""));
        std::printf("cycle %s %d %.1f %zu %d\n", source, n, ms, lines.size(), view.EditLineCount());
        WaitForGo();
      }
    }
    main.Close();
    if (!app.WaitExit(Millis(20000))) throw DriverError("the program did not end at the close");
    std::printf("done\n");
    return 0;
  } catch (const std::exception& error) {
    std::printf("failed: %s\n", error.what());
    return 1;
  }
}
