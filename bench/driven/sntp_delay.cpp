// What the SNTP cycle would move the clock by against a server behind a
// delaying relay, before and after "← 測定" set the fine adjustment, beside
// what ntpdig (which corrects for the round trip) says. The cycle is the
// engine's own: the attempt loop with its two exchanges through the program's
// Windows adapters, then the engine's comparison with the PC clock; its
// difference is taken whole, not from the log's hundredths. Nothing sets the
// clock. Run by bench/sntp_delay.sh, which starts chronyd, the relays and
// ntpdig:
//   sntp_delay.exe ROUNDS ADDRESS:DELAY_MS:NTPDIG_MS[,NTPDIG_MS...]...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "bench/driven/figures.h"
#include "bench/driven/no_views.h"
#include "core/app/run_controller.h"
#include "core/engine/access_log.h"
#include "core/engine/cycle_verdict.h"
#include "core/engine/sntp_delay_measure.h"
#include "core/engine/sntp_source.h"
#include "core/engine/sntp_time_source.h"
#include "core/engine/sync_engine.h"
#include "core/net/sntp.h"
#include "core/settings/jikoku_screen.h"
#include "win32/net/udp_socket.h"
#include "win32/platform/win_boxes.h"
#include "win32/platform/win_clock.h"
#include "win32/platform/win_files.h"
#include "win32/platform/win_locale.h"
#include "win32/platform/win_pump.h"
#include "win32/platform/win_text_codec.h"

using namespace horalux;

namespace {

constexpr double kGoalMs = 2.0;

struct Server {
  std::string address;
  int delay_ms = 0;
  Figures ntpdig;
};

// The engine's pieces of one cycle, against one server.
class Cycle {
 public:
  explicit Cycle(const std::string& address) {
    screen_.cbSNTP.SetChecked(true);
    screen_.edtSNTP.SetText(address);
    sntp_.SetHost(address);
    sntp_.SetPort(TIdSNTP::kDefaultPort);
    sntp_.SetReceiveTimeout(1000);
    engine_.TakeClockAnchor();
  }
  JikokuScreen& Screen() { return screen_; }

  // What the cycle would move the clock by, in milliseconds: the fetched
  // time less the PC clock, as the engine compares them.
  double MoveMs() {
    int attempts = 0;
    SntpTimeSource source(source_, clock_, screen_, attempts);
    const FetchOutcome got = source.Fetch(SyncMode::ConnectionTest);
    if (got.failure) throw std::runtime_error("no time from " + sntp_.Host() + ": " + *got.failure);
    const Verdict v = JudgeDifference(got.utc, engine_.PreciseNow(), 60, SyncMode::ConnectionTest);
    return -static_cast<double>(v.diffTicks) / 10.0;
  }

  SntpDelayMeasure::Result Measure() {
    SntpDelayMeasure measure({network_, clock_, pump_, boxes_, screen_, [] { return false; }});
    return measure.Measure(measure.CycleServer());
  }

 private:
  WinUdpNetwork network_;
  WinClock clock_;
  WinPump pump_;
  WinBoxes boxes_;
  WinLocale locale_;
  WinFiles files_;
  WinTextCodec codec_;
  NoLogView view_;
  NoIcon icon_;
  RunController run_;
  JikokuScreen screen_;
  TTimer watchdog_{pump_, 1, 10000};
  AccessLog log_{{files_, codec_, clock_, locale_, view_},
                 screen_,
                 [] { return false; },
                 [] { return false; }};
  TIdSNTP sntp_{network_, clock_};
  SntpSourceOf<TIdSNTP> source_{sntp_};
  SyncEngine engine_{{clock_, boxes_, locale_, screen_, log_, source_, watchdog_, run_, icon_}};
};

Figures Moves(Cycle& cycle, int rounds) {
  Figures f;
  for (int i = 0; i < rounds; ++i) {
    f.values.push_back(cycle.MoveMs());
    Sleep(100);
  }
  return f;
}

int Run(int rounds, const std::vector<Server>& servers) {
  std::printf(
      "The SNTP cycle against chronyd (-x, loopback) through a relay holding each datagram\n"
      "D ms each way; milliseconds the clock would be moved by, median (least..most) of %d\n"
      "cycles; ntpdig corrects for the round trip. Goal: after the measurement, within\n"
      "%.0f ms of ntpdig.\n\n",
      rounds, kGoalMs);
  std::printf("%-7s | %-26s | %-26s | %-8s | %-26s | %s\n", "D", "ntpdig", "engine, default 200 ms",
              "measured", "engine after the measure", "after - ntpdig");
  bool all = true;
  for (const Server& s : servers) {
    Cycle cycle(s.address);
    cycle.Screen().udChouseiSNTP.SetPosition(200);
    const Figures before = Moves(cycle, rounds);
    const SntpDelayMeasure::Result measured = cycle.Measure();
    if (measured.outcome != SntpDelayMeasure::Outcome::Measured)
      throw std::runtime_error("no measurement against " + s.address);
    cycle.Screen().edtChouseiSNTP.TypeValue(std::to_string(measured.adjustment));
    const Figures after = Moves(cycle, rounds);
    const double gap = after.Median() - s.ntpdig.Median();
    const bool met = gap <= kGoalMs && gap >= -kGoalMs;
    all = all && met;
    char measured_text[32];
    std::snprintf(measured_text, sizeof measured_text, "%d ms", measured.adjustment);
    std::printf("%4d ms | %-26s | %-26s | %-8s | %-26s | %+.1f %s\n", s.delay_ms,
                s.ntpdig.Text().c_str(), before.Text().c_str(), measured_text, after.Text().c_str(),
                gap, met ? "(goal met)" : "(goal missed)");
  }
  std::printf("\n%s\n", all ? "Goal met at every delay." : "Goal missed.");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    if (argc < 3) throw std::runtime_error("usage: sntp_delay ROUNDS ADDRESS:DELAY:NTPDIG,...");
    const int rounds = std::clamp(_wtoi(argv[1]), 1, 100);
    std::vector<Server> servers;
    for (int i = 2; i < argc; ++i) {
      std::wstring w = argv[i];
      std::string arg(w.begin(), w.end());
      std::istringstream in(arg);
      Server s;
      std::string delay, offsets, one;
      std::getline(in, s.address, ':');
      std::getline(in, delay, ':');
      std::getline(in, offsets);
      s.delay_ms = std::stoi(delay);
      std::istringstream list(offsets);
      while (std::getline(list, one, ',')) s.ntpdig.values.push_back(std::stod(one));
      if (s.ntpdig.values.empty()) throw std::runtime_error("no ntpdig figures for " + s.address);
      servers.push_back(s);
    }
    return Run(rounds, servers);
  } catch (const std::exception& e) {
    std::printf("sntp_delay: %s\n", e.what());
    return 1;
  }
}
