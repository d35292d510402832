#include "core/engine/sync_engine.h"

#include <cmath>
#include <exception>

#include "core/engine/report_line.h"
#include "core/engine/result_texts.h"
#include "core/base/date_time.h"
#include "core/base/confirm.h"

namespace horalux {

namespace rt = result_text;

// Runs the end-of-cycle steps exactly once, however the cycle leaves.
class SyncEngine::CycleEnd {
 public:
  explicit CycleEnd(SyncEngine& engine) : engine_(engine) {}
  ~CycleEnd() noexcept(false) {
    if (!done_) {
      done_ = true;
      if (std::uncaught_exceptions() > 0) {
        // A failure is passing through: the entry is committed with the lines
        // written so far, but the original failure is the one reported.
        try {
          engine_.EndOfCycle();
        } catch (...) {
        }
      } else {
        engine_.EndOfCycle();
      }
    }
  }
  // Writes the text, runs the end-of-cycle steps; the cycle returns false.
  bool EndWith(const std::string& text) {
    engine_.d_.log.AddLogLine(text);
    return Finish(false);
  }
  bool Finish(bool result) {
    done_ = true;
    engine_.EndOfCycle();
    return result;
  }

 private:
  SyncEngine& engine_;
  bool done_ = false;
};

SyncEngine::SyncEngine(Deps deps, HttpPlugs http)
    : d_(std::move(deps)),
      proxy_precheck_(http.proxy_precheck),
      sntp_source_(d_.sntp, d_.clock, d_.screen, attemptCount),
      http_source_(http.page, d_.screen) {}

void SyncEngine::btnJikkouClick() {
  // A click inside the waits of a running cycle would nest a second one.
  if (busy) return;
  d_.screen.StatusBar1.SetSimpleText("");
  SyncClock(SyncMode::ConnectionTest);
}

bool SyncEngine::SyncClock(SyncMode mode) {
  clockSetError = false;
  noClockRight = false;
  rejectedSeconds = 0;
  logWriteError.clear();
  bool result = false;
  try {
    result = FetchAndCorrect(mode);
  } catch (...) {
    ShowLogWriteError();
    throw;
  }
  if (!result) {
    ShowIcon("Horalux_確認待機中");
    if (clockSetError) {
      StopWatchdog();
      // A resident run has no log view to read the reason in.
      d_.boxes.message(noClockRight && mode == SyncMode::ResidentRun
                           ? std::string(rt::kClockSetError308) + "\r\n\r\n" + rt::kNoClockRight
                           : std::string(rt::kClockSetError308));
    }
    if (rejectedSeconds > 0 && d_.screen.cbEhyouji.Checked()) {
      StopWatchdog();
      d_.boxes.message(rejectedSeconds > kFailureBoundSeconds
                           ? std::string(rt::kFetchFailedShown310)
                           : rt::RefusedShown309(rejectedSeconds));
    }
  }
  // After the outcome, which it must not hide.
  ShowLogWriteError();
  return result;
}

bool SyncEngine::FetchAndCorrect(SyncMode mode) {
  JikokuScreen& s = d_.screen;
  const bool test = mode == SyncMode::ConnectionTest;
  d_.log.BeginLogEntry();
  if (!d_.resident_mode) s.PageControl1.SetActivePage(&s.tsJMemo);
  if (proxy_precheck_ && proxy_precheck_->Run() == ProxyPrecheck::Outcome::EndNow) return false;
  if (!s.rbHTTP.Checked() && d_.sntp.Active()) {
    d_.log.AddLogLine(rt::kAlreadyConnected101);
    CommitLog();
    return false;
  }
  attemptCount = 0;
  busy = true;
  CycleEnd end(*this);

  const bool http = s.rbHTTP.Checked();
  FetchOutcome got = SelectedSource().Fetch();
  if (got.failure) return end.EndWith(*got.failure);
  double fetched = got.utc + StrToIntDef(s.edtJisa.Text(), 0) / kSecondsPerDay;

  // The comparison keeps the x87 extended precision the tick count was
  // specified with; long double is that format on the x86 targets.
  long double span = static_cast<long double>(PreciseNow()) - 0.375L - fetched;
  const std::int64_t diffTicks =
      static_cast<std::int64_t>(std::nearbyintl(span * 24 * 60 * 60 * 10000));
  const std::int64_t magnitude = diffTicks < 0 ? -diffTicks : diffTicks;
  const std::int64_t N = magnitude / 10000;

  const int d = StrToIntDef(s.edtGosa.Text(), 60);
  if (d < 1 || d > 600) return end.EndWith(rt::ToleranceOutOfRange303(d));
  if (static_cast<double>(magnitude) / 10000.0 > d) {
    if (test) {
      std::uint32_t t0 = d_.clock.tick_count();
      if (N > kFailureBoundSeconds) return end.EndWith(rt::kFetchFailedTest3041);
      if (!ConfirmYesNo(d_.boxes, rt::AskCorrection(N), false))
        return end.EndWith(rt::Declined304(N));
      d_.log.AddLogLine(s.cbSetuzokuT.Checked() ? rt::kConfirmedCorrect
                                                : rt::kConfirmedTestOnly305);
      std::uint32_t open_ms = d_.clock.tick_count() - t0;
      fetched += open_ms / kMillisecondsPerDay;
    } else {
      rejectedSeconds = N;
      d_.boxes.message(N > kFailureBoundSeconds ? std::string(rt::kFetchFailedResident3061)
                                                : rt::Refused306(N));
      return end.Finish(false);
    }
  }

  SystemTimeFields fields = DateTimeToFields(fetched);
  if (test) {
    if (!s.cbSetuzokuT.Checked()) {
      d_.log.AddLogLine(rt::TestOnly(http));
      return end.Finish(true);
    }
    d_.log.AddLogLine(rt::kCorrectedByTest);
  }
  if (const ClockSet set = d_.clock.set_system_time_utc(fields); set != ClockSet::Set) {
    clockSetError = true;
    d_.log.AddLogLine(rt::kClockSetError307);
    // Since Windows Vista a program that is not elevated lacks this right,
    // and one started from the Startup folder never is: say what helps.
    noClockRight = set == ClockSet::NoRight;
    if (noClockRight) d_.log.AddLogLine(rt::kNoClockRight);
    return end.Finish(false);
  }
  TakeClockAnchor();

  std::string tag = http || attemptCount == 1 ? "" : "[" + std::to_string(attemptCount) + "]";
  d_.log.AddLogLine(
      ReportLine(diffTicks, tag, d_.locale.thousands_separator(), d_.locale.decimal_separator()));
  return end.Finish(true);
}

TimeSource& SyncEngine::SelectedSource() {
  if (d_.screen.rbHTTP.Checked()) return http_source_;
  return sntp_source_;
}

void SyncEngine::EndOfCycle() {
  d_.sntp.SetActive(false);
  busy = false;
  CommitLog();
  // The connection-test button is a standard button that nothing recolours,
  // so it has no face colour to give back.
  if (!d_.resident_mode) d_.log.btnBottomClick();
}

void SyncEngine::CommitLog() {
  try {
    d_.log.CommitLogEntry();
  } catch (const ELogFileError& e) {
    // The view keeps the entry; the user hears of the file once the
    // outcome has been shown.
    logWriteError = e.what();
  }
}

void SyncEngine::ShowLogWriteError() {
  if (!logWriteError.empty()) d_.boxes.message(logWriteError);
}

double SyncEngine::PreciseNow() {
  std::int64_t c = d_.clock.performance_counter();
  std::int64_t f = d_.clock.performance_frequency();
  long double elapsed =
      static_cast<long double>(c - anchor_counter_) / (static_cast<long double>(f) * 86400);
  return static_cast<double>(anchor_time_ + elapsed);
}

void SyncEngine::TakeClockAnchor() {
  anchor_counter_ = d_.clock.performance_counter();
  anchor_time_ = FieldsToDateTime(d_.clock.local_time());
}

void SyncEngine::StopWatchdog() {
  if (d_.watchdog.Enabled()) d_.watchdog.SetEnabled(false);
}

void SyncEngine::ShowIcon(const std::string& tip) {
  d_.icon.ShowWithTip(tip);
}

}  // namespace horalux
