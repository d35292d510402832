#pragma once
#include <cstdint>
#include <string>

#include "core/controls/timer.h"
#include "core/engine/access_log.h"
#include "core/engine/cycle_icon.h"
#include "core/engine/http_time_source.h"
#include "core/engine/proxy_precheck.h"
#include "core/engine/sntp_source.h"
#include "core/engine/sntp_time_source.h"
#include "core/engine/standard_time_page.h"
#include "core/platform/boxes.h"
#include "core/platform/clock.h"
#include "core/platform/locale_info.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

enum class SyncMode { ConnectionTest, ResidentRun };

// Differences beyond this many seconds mean the fetch itself failed.
inline constexpr std::int64_t kFailureBoundSeconds = 315360000;

// Where the cycle reaches HTTP; without them no proxy is looked at and an
// HTTP fetch finds no time.
struct HttpPlugs {
  StandardTimePage* page = nullptr;
  ProxyPrecheck* proxy_precheck = nullptr;
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
    // True while the program runs resident: the window stays as it is.
    const bool& resident_mode;
    CycleIcon& icon;
  };
  explicit SyncEngine(Deps deps, HttpPlugs http = {});
  SyncEngine(const SyncEngine&) = delete;
  SyncEngine& operator=(const SyncEngine&) = delete;

  // Handler of "接続テスト".
  void btnJikkouClick();
  bool SyncClock(SyncMode mode);
  bool FetchAndCorrect(SyncMode mode);
  // The PC's local time from the clock anchor and the performance counter.
  double PreciseNow();
  // Reads the counter and the local time together.
  void TakeClockAnchor();

  bool busy = false;
  int attemptCount = 0;
  bool clockSetError = false;
  // The clock call failed because the process lacks the right to set it.
  bool noClockRight = false;
  std::int64_t rejectedSeconds = 0;
  // The last cycle could not save its log entry: the message naming the log
  // file, shown once after the cycle's outcome; empty when it was saved.
  std::string logWriteError;

 private:
  class CycleEnd;
  TimeSource& SelectedSource();
  void EndOfCycle();
  // Commits the log entry; a file that cannot be written is noted in
  // logWriteError instead of ending the cycle unexpectedly.
  void CommitLog();
  void ShowLogWriteError();
  void StopWatchdog();
  void ShowIcon(const std::string& tip);

  Deps d_;
  ProxyPrecheck* proxy_precheck_;
  SntpTimeSource sntp_source_;
  HttpTimeSource http_source_;
  std::int64_t anchor_counter_ = 0;
  double anchor_time_ = 0.0;
};

}  // namespace horalux
