// What one connection test costs beside what it cannot do without, in one
// run against the SNTP test responder on a loopback address:
//   cycle      the click on "接続テスト" in Horalux.exe to "Jikoku.txt" written
//              (the file's write time), the log at its line limit;
//   exchanges  the cycle's two SNTP exchanges alone, through the same adapter
//              and core code, from this process to the same responder;
//   log        the access log's commit alone: append, trim and write back a
//              log at its line limit, with the program's file and text ports
//              and a view held in memory;
//   switch     the change from the first page to the access log's page alone,
//              made by selecting its tab, which the cycle does first.
// Each of the N rounds runs the four in turn, so a busy machine weighs on all
// of them alike. Prints the median, the best and the worst of each and the
// ratio (cycle - log) / exchanges, and that ratio once more without the page
// switch; on a busy machine the best tells most of what each costs itself.
// Measures only; passes or fails on nothing.
//   cycle_cost.exe [rounds] [address]
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/engine/access_log.h"
#include "core/net/sntp.h"
#include "core/settings/jikoku_screen.h"
#include "tests/e2e/driver.h"
#include "tests/fakes/fake_log_view.h"
#include "tools/lib/sntp_responder.h"
#include "win32/net/udp_socket.h"
#include "win32/platform/win_clock.h"
#include "win32/platform/win_files.h"
#include "win32/platform/win_locale.h"
#include "win32/platform/win_text_codec.h"

using namespace horalux;

namespace {

constexpr int kLineLimit = 100;
constexpr char kFirstTab[] = "　　基本設定　　";
constexpr char kLogTab[] = " アクセス記録 ";

// Milliseconds of the performance counter.
double NowMs() {
  static const double per_ms = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / per_ms;
}

double Ms(const FILETIME& t) {
  return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                             t.dwLowDateTime) /
         1e4;
}

// Milliseconds of the system clock, the one file write times are stamped by.
double SystemMs() {
  FILETIME t;
  GetSystemTimePreciseAsFileTime(&t);
  return Ms(t);
}

std::optional<double> WrittenMs(const std::filesystem::path& file) {
  const std::optional<e2e::FileStamp> stamp = e2e::StampOf(file);
  if (!stamp) return std::nullopt;
  return static_cast<double>(stamp->written) / 1e4;
}

// Waits until the process has used no processor time for a while (its
// repaints done), at most two seconds.
void WaitQuiet(HANDLE process) {
  auto used = [process] {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(process, &created, &ended, &kernel, &user);
    return Ms(kernel) + Ms(user);
  };
  const double give_up = NowMs() + 2000;
  for (double last = used(); NowMs() < give_up;) {
    Sleep(30);
    const double now = used();
    if (now == last) return;
    last = now;
  }
}

// A log at its line limit, of the entries a connection test writes.
std::string FullLog() {
  std::string text;
  for (int line = 0; line < kLineLimit; ++line) {
    switch (line % 4) {
      case 0:
        text += "";
        break;
      case 1:
        text += "[ 2026/12/07(月) 9:00:01 ]任意設定(NTP/SNTP)";
        break;
      case 2:
        text += "接続テストで時刻を修正しました";
        break;
      default:
        text += "以前の時刻は、取得した時刻より 0.01 秒遅れていました";
        break;
    }
    text += "\r\n";
  }
  return text;
}

struct Figures {
  const char* what;
  std::vector<double> ms;
  double Median() const {
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
  }
  double Best() const { return *std::min_element(ms.begin(), ms.end()); }
  double Worst() const { return *std::max_element(ms.begin(), ms.end()); }
  void Print(const char* unit) const {
    std::printf("  %-46s median %7.2f%s  best %7.2f%s  worst %7.2f%s\n", what, Median(), unit,
                Best(), unit, Worst(), unit);
  }
};

// The cycle's two exchanges as its SNTP source makes them: one with the
// client made active, then one more after it has been made inactive.
double TwoExchangesMs(TIdSNTP& sntp) {
  const double start = NowMs();
  sntp.SetActive(true);
  const double first = sntp.QueryTime();
  sntp.SetActive(false);
  const double second = sntp.QueryTime();
  const double took = NowMs() - start;
  if (first < 1.0 || second < 1.0) throw std::runtime_error("the responder did not answer");
  return took;
}

// The access log's commit with the program's own ports, but a view in memory.
class LogAlone {
 public:
  explicit LogAlone(const std::filesystem::path& file) {
    e2e::WriteFileBytes(file, e2e::Utf8ToCp932(FullLog()));
    screen_.udGyou.SetPosition(kLineLimit);
    screen_.cbSNTPAuto.SetChecked(false);
    log_.logFilePath = e2e::PathToUtf8(file);
    log_.LoadAtStartup();
  }
  double CommitMs() {
    log_.BeginLogEntry();
    log_.AddLogLine("接続テストで時刻を修正しました");
    log_.AddLogLine("以前の時刻は、取得した時刻より 0.01 秒遅れていました");
    const double start = NowMs();
    log_.CommitLogEntry();
    return NowMs() - start;
  }

 private:
  WinFiles files_;
  WinTextCodec codec_;
  WinClock clock_;
  WinLocale locale_;
  fakes::FakeLogView view_;
  JikokuScreen screen_;
  AccessLog log_{{files_, codec_, clock_, locale_, view_},
                 screen_,
                 [] { return false; },
                 [] { return false; }};
};

int Run(int rounds, const std::string& address) {
  tools::SntpResponder responder(address);
  // The server by hand, no fine adjustment (the fetched time is the true
  // one, which Wine's clock call takes without changing anything) and no
  // look at the browser's proxy.
  const e2e::ProgramCopy copy(
      "[Jikoku]\r\ncbSNTPAuto=0\r\ncbSNTP=1\r\nedtSNTP=" + address +
      "\r\nudChouseiSNTP=0\r\ncbNoCkProxy=1\r\nudGyou=" + std::to_string(kLineLimit) + "\r\n");
  const auto log_file = copy / "Jikoku.txt";
  e2e::WriteFileBytes(log_file, e2e::Utf8ToCp932(FullLog()));

  auto app = copy.Start();
  const auto main = app.WaitWindow({.cls = e2e::kMainWindowClass, .title = e2e::kProgramTitle});
  const auto tabs = main.Control({.cls = "SysTabControl32"});

  WinUdpNetwork network;
  WinClock clock;
  TIdSNTP sntp(network, clock);
  sntp.SetHost(address);
  sntp.SetPort(TIdSNTP::kDefaultPort);
  sntp.SetReceiveTimeout(1000);
  LogAlone log_alone(copy.dir() / "alone.txt");

  Figures cycle{"cycle: click -> Jikoku.txt written", {}};
  Figures returned{"       click -> handler returned", {}};
  Figures exchanges{"two SNTP exchanges alone", {}};
  Figures rewrite{"log commit alone (at its line limit)", {}};
  Figures page_switch{"switch to the log's page alone", {}};
  Figures ratio{"(cycle - log commit) / exchanges, per round", {}};
  const std::vector<std::string> captions = tabs.TabCaptions();
  const auto log_at = std::find(captions.begin(), captions.end(), kLogTab);
  if (log_at == captions.end()) throw std::runtime_error("no tab for the access log");
  const WPARAM log_tab = static_cast<WPARAM>(log_at - captions.begin());
  DWORD_PTR ignored = 0;
  for (int round = 0; round < rounds; ++round) {
    // The switch the cycle makes first, alone, from the same page at rest.
    tabs.SelectTab(kFirstTab);
    WaitQuiet(app.handle());
    const double switching = NowMs();
    if (!SendMessageTimeoutW(tabs.handle(), TCM_SETCURFOCUS, log_tab, 0, SMTO_NORMAL, 30000,
                             &ignored)) {
      std::printf("the tab did not change within 30 s\n");
      return 1;
    }
    page_switch.ms.push_back(NowMs() - switching);

    // The cycle shows the log's page; the button is on the first one. The
    // click comes, as a user's would, to a window at rest.
    tabs.SelectTab(kFirstTab);
    const auto button = main.PushButton("接続テスト");
    WaitQuiet(app.handle());
    const double before = WrittenMs(log_file).value_or(0);
    const double clicked = SystemMs();
    if (!SendMessageTimeoutW(button.handle(), BM_CLICK, 0, 0, SMTO_NORMAL, 30000, &ignored)) {
      std::printf("the click did not return within 30 s:\n%s\n", app.DescribeWindows().c_str());
      return 1;
    }
    const double back = SystemMs();
    const std::optional<double> written = WrittenMs(log_file);
    if (!written || *written <= before) {
      std::printf("round %d: Jikoku.txt was not written:\n%s\n", round + 1,
                  app.DescribeWindows().c_str());
      return 1;
    }
    cycle.ms.push_back(*written - clicked);
    returned.ms.push_back(back - clicked);
    // The program repaints what the cycle changed before the rest is timed,
    // so that it does not compete with them for the processor.
    WaitQuiet(app.handle());
    exchanges.ms.push_back(TwoExchangesMs(sntp));
    rewrite.ms.push_back(log_alone.CommitMs());
    ratio.ms.push_back((cycle.ms.back() - rewrite.ms.back()) / exchanges.ms.back());
  }
  const auto lines = e2e::ReadCp932File(log_file);
  main.Close();
  app.WaitExit();

  std::printf("Connection test against the SNTP responder on %s, %d rounds, log of %d lines\n",
              address.c_str(), rounds, kLineLimit);
  for (const Figures* f : {&cycle, &returned, &exchanges, &rewrite, &page_switch}) f->Print(" ms");
  ratio.Print("   ");
  std::printf("  (cycle - log commit) / exchanges: of the medians %.2f, of the best %.2f\n",
              (cycle.Median() - rewrite.Median()) / exchanges.Median(),
              (cycle.Best() - rewrite.Best()) / exchanges.Best());
  std::printf("  (cycle - log commit - page switch) / exchanges: of the medians %.2f\n",
              (cycle.Median() - rewrite.Median() - page_switch.Median()) / exchanges.Median());
  if (lines) {
    std::string last = lines->substr(0, lines->size() - std::min<std::size_t>(2, lines->size()));
    last = last.substr(last.rfind('\n') == std::string::npos ? 0 : last.rfind('\n') + 1);
    std::printf("Jikoku.txt: %zu lines, the last: %s\n",
                static_cast<std::size_t>(std::count(lines->begin(), lines->end(), '\n')),
                last.c_str());
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 ? std::clamp(_wtoi(argv[1]), 1, 1000) : 20;
  const std::string address = argc > 2 ? horalux::e2e::Narrow(argv[2]) : "127.0.0.71";
  try {
    return Run(rounds, address);
  } catch (const std::exception& e) {
    std::printf("cycle_cost: %s\n", e.what());
    return 1;
  }
}
