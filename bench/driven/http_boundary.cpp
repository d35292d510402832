// What the HTTP source would move the clock by against a web server whose
// Date is the only time it gives: once from one reply (the default fine
// adjustment of 500 ms, the middle of the second) and once with the
// measurement of the server's second boundary, beside what ntpdig says of
// the same clock. The source is the engine's own (its page client, HTTP
// client and Winsock adapter), compared with the PC clock as the cycle
// compares; nothing sets the clock. Run by bench/http_boundary.sh, which
// starts nginx, the relays, squid and ntpdig:
//   http_boundary.exe ROUNDS NTPDIG_MS[,NTPDIG_MS...] LABEL=URL=PROXY[:PORT]=GOAL_MS...
// PROXY "-" for none; GOAL_MS 0 for none.
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
#include "core/engine/http_time_source.h"
#include "core/engine/sntp_source.h"
#include "core/engine/sync_engine.h"
#include "core/engine/time_page_client.h"
#include "core/net/sntp.h"
#include "core/settings/jikoku_screen.h"
#include "win32/dialogs/proxy_credentials_window.h"
#include "win32/net/tcp_session.h"
#include "win32/net/udp_socket.h"
#include "win32/net/win_credential_store.h"
#include "win32/net/win_security_packages.h"
#include "win32/platform/win_boxes.h"
#include "win32/platform/win_clock.h"
#include "win32/platform/win_files.h"
#include "win32/platform/win_locale.h"
#include "win32/platform/win_pump.h"
#include "win32/platform/win_text_codec.h"

using namespace horalux;

namespace {

// The page client, each request's timing printed when HTTP_BOUNDARY_TRACE is set.
class TracedPage : public StandardTimePage {
 public:
  TracedPage(StandardTimePage& page, Clock& clock) : page_(page), clock_(clock) {}
  PageTime FetchTime(SyncMode mode) override { return Trace(page_.FetchTime(mode), 0); }
  PageTime FetchTimeAt(std::int64_t send_at) override {
    return Trace(page_.FetchTimeAt(send_at), send_at);
  }

 private:
  PageTime Trace(const PageTime& p, std::int64_t send_at) {
    if (_wgetenv(L"HTTP_BOUNDARY_TRACE")) {
      const double f = static_cast<double>(clock_.performance_frequency()) / 1000;
      std::printf("date %.0f%s sent-plan %+.3f ms trip %.3f ms\n", p.time * 86400,
                  p.fromDateHeader ? "" : " (page)",
                  send_at ? static_cast<double>(p.sent - send_at) / f : 0.0,
                  static_cast<double>(p.received - p.sent) / f);
    }
    return p;
  }
  StandardTimePage& page_;
  Clock& clock_;
};

struct Way {
  std::string label, url, proxy;
  int proxy_port = 0;
  double goal_ms = 10;
};

// The engine's HTTP source and its comparison with the PC clock.
class HttpCycle {
 public:
  explicit HttpCycle(const Way& way) {
    location_.readOnlyMedium = true;  // no header copy anywhere
    page_.SelectPage(way.url);
    page_.Client().Proxy = way.proxy;
    page_.Client().ProxyPort = way.proxy_port;
    screen_.udChouseiHTTP.SetPosition(500);
    engine_.TakeClockAnchor();
  }

  // Milliseconds the cycle would move the clock by (positive: forward), and
  // the requests it took.
  double MoveMs(bool measured, int& requests) {
    screen_.cbSeimitsu.SetChecked(measured);
    const FetchOutcome got = source_.Fetch(SyncMode::ResidentRun);
    if (got.failure) throw std::runtime_error("no time from " + page_.SelectedPageUrl());
    requests = source_.Requests();
    const Verdict v = JudgeDifference(got.utc, engine_.PreciseNow(), 60, SyncMode::ConnectionTest);
    return -static_cast<double>(v.diffTicks) / 10.0;
  }

 private:
  WinPump pump_;
  WinTcpNetwork tcp_{pump_};
  WinUdpNetwork udp_;
  WinClock clock_;
  WinBoxes boxes_;
  WinLocale locale_;
  WinFiles files_;
  WinTextCodec codec_;
  WinSecurityPackages sspi_;
  WinCredentialStore store_;
  ProxyCredentialsWindow prompt_;
  SettingsLocation location_;
  TimePageClient page_{tcp_, pump_, clock_, files_, location_, {sspi_, store_, prompt_}};
  NoLogView view_;
  NoIcon icon_;
  RunController run_;
  JikokuScreen screen_;
  TracedPage traced_{page_, clock_};
  HttpTimeSource source_{&traced_, screen_, clock_};
  TTimer watchdog_{pump_, 1, 10000};
  AccessLog log_{{files_, codec_, clock_, locale_, view_},
                 screen_,
                 [] { return false; },
                 [] { return false; }};
  TIdSNTP sntp_{udp_, clock_};
  SntpSourceOf<TIdSNTP> sntp_source_{sntp_};
  SyncEngine engine_{
      {clock_, boxes_, locale_, screen_, log_, sntp_source_, watchdog_, run_, icon_}};
};

int Run(int rounds, const Figures& ntpdig, const std::vector<Way>& ways) {
  std::printf(
      "The engine's HTTP source against nginx (Date header only) on loopback, median "
      "(least..most)\n"
      "of %d fetches each: milliseconds the clock would be moved by, with one request (fine\n"
      "adjustment 500 ms) and with the second-boundary measurement, and the requests that took.\n"
      "ntpdig against chronyd on the same clock: %s ms.\n\n",
      rounds, ntpdig.Text().c_str());
  std::printf("%-17s | %-24s | %-24s | %-13s | %s\n", "way", "one request", "measured", "requests",
              "measured - ntpdig");
  bool all = true;
  for (const Way& way : ways) {
    HttpCycle cycle(way);
    Figures one, measured, requests;
    for (int i = 0; i < rounds; ++i) {
      int n = 0;
      one.values.push_back(cycle.MoveMs(false, n));
      measured.values.push_back(cycle.MoveMs(true, n));
      requests.values.push_back(n);
    }
    const double gap = measured.Median() - ntpdig.Median();
    const bool met = gap <= way.goal_ms && gap >= -way.goal_ms;
    char goal[48] = "(no goal)";
    if (way.goal_ms > 0) {
      std::snprintf(goal, sizeof goal, "%s (goal %.0f ms)", met ? "met" : "missed", way.goal_ms);
      all = all && met;
    }
    std::printf("%-17s | %-24s | %-24s | %-13s | %+6.1f %s\n", way.label.c_str(),
                one.Text().c_str(), measured.Text().c_str(),
                requests.Text("%.0f (%.0f..%.0f)").c_str(), gap, goal);
  }
  std::printf("\n%s\n", all ? "Goal met on every way." : "Goal missed.");
  return 0;
}

std::string Narrow(const wchar_t* w) {
  std::wstring s = w;
  return std::string(s.begin(), s.end());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    if (argc < 4)
      throw std::runtime_error("usage: http_boundary ROUNDS NTPDIG_MS,... LABEL=URL=PROXY=GOAL...");
    const int rounds = std::clamp(_wtoi(argv[1]), 1, 100);
    Figures ntpdig;
    std::istringstream list(Narrow(argv[2]));
    for (std::string one; std::getline(list, one, ',');) ntpdig.values.push_back(std::stod(one));
    if (ntpdig.values.empty()) throw std::runtime_error("no ntpdig figures");
    std::vector<Way> ways;
    for (int i = 3; i < argc; ++i) {
      std::istringstream in(Narrow(argv[i]));
      Way way;
      std::string proxy, goal;
      std::getline(in, way.label, '=');
      std::getline(in, way.url, '=');
      std::getline(in, proxy, '=');
      std::getline(in, goal);
      if (proxy != "-") {
        way.proxy = proxy.substr(0, proxy.find(':'));
        way.proxy_port = std::stoi(proxy.substr(proxy.find(':') + 1));
      }
      way.goal_ms = std::stod(goal);
      ways.push_back(way);
    }
    return Run(rounds, ntpdig, ways);
  } catch (const std::exception& e) {
    std::printf("http_boundary: %s\n", e.what());
    return 1;
  }
}
