#pragma once
#include <cstdint>
#include <string>

#include "core/controls/signal.h"
#include "core/controls/timer.h"
#include "core/engine/access_log.h"
#include "core/engine/cycle_icon.h"
#include "core/engine/cycle_verdict.h"
#include "core/engine/http_time_source.h"
#include "core/engine/proxy_precheck.h"
#include "core/engine/run_kind.h"
#include "core/engine/sntp_source.h"
#include "core/engine/sntp_time_source.h"
#include "core/engine/standard_time_page.h"
#include "core/platform/boxes.h"
#include "core/platform/clock.h"
#include "core/platform/locale_info.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// Where the cycle reaches HTTP; without them no proxy is looked at and an
// HTTP fetch finds no time.
struct HttpPlugs {
  StandardTimePage* page = nullptr;
  ProxyPrecheck* proxy_precheck = nullptr;
};

// What one cycle leaves for the boxes that follow it.
struct CycleResult {
  // The clock was set, or a connection test without correction fetched a time.
  bool ok = false;
  // Setting the clock failed.
  bool clockSetError = false;
  // ... because the process lacks the right to set it.
  bool noClockRight = false;
  // Whole seconds of a difference a resident run refused to correct; 0 otherwise.
  std::int64_t rejectedSeconds = 0;
  // SNTP attempts made; 0 for HTTP.
  int attemptCount = 0;
};

// The fetch-compare-correct cycle.
class SyncEngine {
 public:
  struct Deps {
    Clock& clock;
    Boxes& boxes;
    LocaleInfo& locale;
    JikokuScreen& screen;
    AccessLog& log;
    SntpSource& sntp;
    TTimer& watchdog;
    const RunKind& run;
    CycleIcon& icon;
  };
  explicit SyncEngine(Deps deps, HttpPlugs http = {});
  SyncEngine(const SyncEngine&) = delete;
  SyncEngine& operator=(const SyncEngine&) = delete;

  // Handler of "接続テスト".
  void btnJikkouClick();
  bool SyncClock(SyncMode mode);
  CycleResult FetchAndCorrect(SyncMode mode);
  // The PC's local time from the clock anchor and the performance counter.
  double PreciseNow();
  // Reads the counter and the local time together.
  void TakeClockAnchor();

  bool busy = false;
  // Raised as `busy` turns true and back to false.
  Signal OnBusyChange;
  // The last cycle could not save its log entry: the message naming the log
  // file, shown once after the cycle's outcome; empty when it was saved.
  const std::string& LogWriteError() const { return logWriteError_; }

 private:
  class CycleEnd;
  // From the fetch to the report; the caller runs the end-of-cycle steps.
  CycleResult FetchJudgeAndSet(SyncMode mode);
  // Beyond the tolerance in a connection test: true when the user accepts,
  // and the time the question was open is then added to `fetched`.
  bool ConfirmCorrection(std::int64_t seconds, double& fetched);
  // A resident run's refusal, shown in a box.
  CycleResult Refused(std::int64_t seconds);
  CycleResult SetClockAndReport(SyncMode mode, bool http, double fetched, std::int64_t diffTicks);
  // Writes the text that ends the cycle.
  CycleResult Ended(const std::string& text);
  TimeSource& SelectedSource();
  void EndOfCycle();
  // Commits the log entry; a file that cannot be written is noted in
  // logWriteError_ instead of ending the cycle unexpectedly.
  void CommitLog();
  void ShowLogWriteError();
  void StopWatchdog();
  void ShowIcon(const std::string& tip);

  Deps d_;
  ProxyPrecheck* proxy_precheck_;
  bool prechecking_ = false;
  int attemptCount_ = 0;
  std::string logWriteError_;
  std::string fetchNotice_;
  SntpTimeSource sntp_source_;
  HttpTimeSource http_source_;
  std::int64_t anchor_counter_ = 0;
  double anchor_time_ = 0.0;
};

}  // namespace horalux
