#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/app/timer.h"
#include "core/engine/access_log.h"
#include "core/engine/sntp_source.h"
#include "core/platform/boxes.h"
#include "core/platform/clock.h"
#include "core/platform/locale_info.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

enum class SyncMode { ConnectionTest, ResidentRun };

// Differences beyond this many seconds mean the fetch itself failed.
inline constexpr std::int64_t kFailureBoundSeconds = 315360000;

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
    std::function<bool()> resident_mode;
    // The notification-area icon; its failures are the caller's to swallow.
    std::function<void(const std::string&)> set_icon_tip;
    std::function<void(bool)> set_icon_visible;
  };
  // The HTTP path's two points: the proxy pre-check (false ends the cycle at
  // once) and the standard-time page's time (JST, 0.0 on failure).
  struct HttpPath {
    std::function<bool()> proxy_precheck;
    std::function<double()> get_http_time;
  };

  explicit SyncEngine(Deps deps);
  void SetHttpPath(HttpPath path) { http_ = std::move(path); }

  // Handler of "接続テスト".
  void btnJikkouClick();
  bool SyncClock(SyncMode mode);
  bool FetchAndCorrect(SyncMode mode);
  // The PC's local time from the clock anchor and the performance counter.
  double PreciseNow();
  // Reads the counter and the local time together.
  void TakeClockAnchor();
  // The built-in server after `host` (exact comparison), A after anything else.
  static std::string NextHost(const std::string& host);

  bool busy = false;
  int attemptCount = 0;
  bool clockSetError = false;
  std::int64_t rejectedSeconds = 0;

 private:
  class CycleEnd;
  // The SNTP attempts; true with `fetched` (UTC) set, false when ended.
  bool FetchBySntp(CycleEnd& end, double& fetched);
  bool FetchByHttp(CycleEnd& end, double& fetched);
  void EndOfCycle();
  std::string SelectedPageCaption() const;
  void StopWatchdog();
  void ShowIcon(const std::string& tip);

  Deps d_;
  HttpPath http_;
  std::int64_t anchor_counter_ = 0;
  double anchor_time_ = 0.0;
};

}  // namespace horalux
