#include "core/engine/sync_engine.h"

#include <exception>

#include "core/engine/report_line.h"
#include "core/engine/result_texts.h"
#include "core/base/date_time.h"
#include "core/base/confirm.h"
#include "core/settings/settings_keys.h"

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
  CycleResult Finish(CycleResult result) {
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
      sntp_source_(d_.sntp, d_.clock, d_.screen, attemptCount_),
      http_source_(http.page, d_.screen, d_.clock) {}

void SyncEngine::btnJikkouClick() {
  // A click inside the waits of a running cycle would nest a second one.
  if (busy || prechecking_) return;
  d_.screen.StatusBar1.SetSimpleText("");
  SyncClock(SyncMode::ConnectionTest);
}

bool SyncEngine::SyncClock(SyncMode mode) {
  logWriteError_.clear();
  fetchNotice_.clear();
  CycleResult cycle;
  try {
    cycle = FetchAndCorrect(mode);
  } catch (...) {
    ShowLogWriteError();
    throw;
  }
  if (!cycle.ok) {
    ShowIcon("Horalux_確認待機中");
    if (cycle.clockSetError) {
      StopWatchdog();
      // A resident run has no log view to read the reason in.
      d_.boxes.message(cycle.noClockRight && mode == SyncMode::ResidentRun
                           ? std::string(rt::kClockSetError308) + "\r\n\r\n" + rt::kNoClockRight
                           : std::string(rt::kClockSetError308));
    }
    if (cycle.rejectedSeconds > 0 && d_.screen.cbEhyouji.Checked()) {
      StopWatchdog();
      d_.boxes.message(cycle.rejectedSeconds > kFailureBoundSeconds
                           ? std::string(rt::kFetchFailedShown310)
                           : rt::RefusedShown309(cycle.rejectedSeconds));
    }
  }
  // After the outcome, which they must not hide.
  if (!fetchNotice_.empty()) d_.boxes.message(fetchNotice_);
  ShowLogWriteError();
  return cycle.ok;
}

CycleResult SyncEngine::FetchAndCorrect(SyncMode mode) {
  JikokuScreen& s = d_.screen;
  d_.log.BeginLogEntry();
  if (!d_.run.IsResidentRun()) s.PageControl1.SetActivePage(&s.tsJMemo);
  if (proxy_precheck_) {
    // Before `busy`, as the menu and the watchdog expect; the wait for a
    // proxy script handles window events, where a click must not nest a cycle.
    prechecking_ = true;
    ProxyPrecheck::Outcome outcome;
    try {
      outcome = proxy_precheck_->Run();
    } catch (...) {
      prechecking_ = false;
      throw;
    }
    prechecking_ = false;
    if (outcome == ProxyPrecheck::Outcome::EndNow) return {};
  }
  if (!s.rbHTTP.Checked() && d_.sntp.Active()) {
    d_.log.AddLogLine(rt::kAlreadyConnected101);
    CommitLog();
    return {};
  }
  attemptCount_ = 0;
  busy = true;
  OnBusyChange();
  CycleEnd end(*this);
  CycleResult result = FetchJudgeAndSet(mode);
  result.attemptCount = attemptCount_;
  return end.Finish(result);
}

CycleResult SyncEngine::FetchJudgeAndSet(SyncMode mode) {
  const bool http = d_.screen.rbHTTP.Checked();
  const FetchOutcome got = SelectedSource().Fetch(mode);
  fetchNotice_ = got.notice;
  if (got.failure) return Ended(*got.failure);
  double fetched = got.utc + StrToIntDef(d_.screen.edtJisa.Text(),
                                         TextDefaultNumberOf<&JikokuScreen::edtJisa>()) /
                                 kSecondsPerDay;
  const double now = PreciseNow();
  const int tolerance =
      StrToIntDef(d_.screen.edtGosa.Text(), RowOf<&JikokuScreen::udGosa>().default_value.number);
  const Verdict verdict = JudgeDifference(fetched, now, tolerance, mode);
  switch (verdict.action) {
    case Verdict::Action::Correct:
      break;
    case Verdict::Action::ToleranceInvalid:
      return Ended(rt::ToleranceOutOfRange303(tolerance));
    case Verdict::Action::Implausible:
      if (mode == SyncMode::ConnectionTest) return Ended(rt::kFetchFailedTest3041);
      return Refused(verdict.seconds);
    case Verdict::Action::Refuse:
      return Refused(verdict.seconds);
    case Verdict::Action::Ask:
      if (!ConfirmCorrection(verdict.seconds, fetched))
        return Ended(rt::Declined304(verdict.seconds));
      break;
  }
  return SetClockAndReport(mode, http, fetched, verdict.diffTicks);
}

bool SyncEngine::ConfirmCorrection(std::int64_t seconds, double& fetched) {
  const std::uint32_t t0 = d_.clock.tick_count();
  if (!ConfirmYesNo(d_.boxes, rt::AskCorrection(seconds), false)) return false;
  d_.log.AddLogLine(d_.screen.cbSetuzokuT.Checked() ? rt::kConfirmedCorrect
                                                    : rt::kConfirmedTestOnly305);
  const std::uint32_t open_ms = d_.clock.tick_count() - t0;
  fetched += open_ms / kMillisecondsPerDay;
  return true;
}

CycleResult SyncEngine::Refused(std::int64_t seconds) {
  d_.boxes.message(seconds > kFailureBoundSeconds ? std::string(rt::kFetchFailedResident3061)
                                                  : rt::Refused306(seconds));
  return {.rejectedSeconds = seconds};
}

CycleResult SyncEngine::SetClockAndReport(SyncMode mode, bool http, double fetched,
                                          std::int64_t diffTicks) {
  const SystemTimeFields fields = DateTimeToFields(fetched);
  if (mode == SyncMode::ConnectionTest) {
    if (!d_.screen.cbSetuzokuT.Checked()) {
      d_.log.AddLogLine(rt::TestOnly(http));
      return {.ok = true};
    }
    d_.log.AddLogLine(rt::kCorrectedByTest);
  }
  if (const ClockSet set = d_.clock.set_system_time_utc(fields); set != ClockSet::Set) {
    d_.log.AddLogLine(rt::kClockSetError307);
    // Since Windows Vista a program that is not elevated lacks this right,
    // and one started from the Startup folder never is: say what helps.
    const bool no_right = set == ClockSet::NoRight;
    if (no_right) d_.log.AddLogLine(rt::kNoClockRight);
    return {.clockSetError = true, .noClockRight = no_right};
  }
  TakeClockAnchor();
  const std::string tag =
      http || attemptCount_ == 1 ? "" : "[" + std::to_string(attemptCount_) + "]";
  d_.log.AddLogLine(
      ReportLine(diffTicks, tag, d_.locale.thousands_separator(), d_.locale.decimal_separator()));
  return {.ok = true};
}

CycleResult SyncEngine::Ended(const std::string& text) {
  d_.log.AddLogLine(text);
  return {};
}

TimeSource& SyncEngine::SelectedSource() {
  if (d_.screen.rbHTTP.Checked()) return http_source_;
  return sntp_source_;
}

void SyncEngine::EndOfCycle() {
  d_.sntp.SetActive(false);
  busy = false;
  OnBusyChange();
  CommitLog();
  // The connection-test button is a standard button that nothing recolours,
  // so it has no face colour to give back.
  if (!d_.run.IsResidentRun()) d_.log.btnBottomClick();
}

void SyncEngine::CommitLog() {
  try {
    d_.log.CommitLogEntry();
  } catch (const ELogFileError& e) {
    // The view keeps the entry; the user hears of the file once the
    // outcome has been shown.
    logWriteError_ = e.what();
  }
}

void SyncEngine::ShowLogWriteError() {
  if (!logWriteError_.empty()) d_.boxes.message(logWriteError_);
}

double SyncEngine::PreciseNow() {
  std::int64_t c = d_.clock.performance_counter();
  std::int64_t f = d_.clock.performance_frequency();
  long double elapsed =
      static_cast<long double>(c - anchor_counter_) / (static_cast<long double>(f) * 86400);
  return static_cast<double>(anchor_time_ + elapsed);
}

void SyncEngine::TakeClockAnchor() {
  // The counter and the clock must name one instant: a pause between the two
  // reads (a busy PC at logon) would shift every later reading by its length
  // and show a difference that is not there. The counter is read on both
  // sides of the clock, and the tightest of a few tries is kept.
  constexpr int kTries = 10;
  constexpr std::int64_t kTightEnoughPerSecond = 1000;  // 1 ms
  const std::int64_t tight_enough = d_.clock.performance_frequency() / kTightEnoughPerSecond;
  std::int64_t best_spread = -1;
  for (int i = 0; i < kTries && (best_spread < 0 || best_spread > tight_enough); ++i) {
    const std::int64_t before = d_.clock.performance_counter();
    // Finer than the millisecond and the system's timer tick (up to 15.6 ms
    // on Windows), which a reading of the clock fields alone would be off by.
    const PreciseLocalTime read = d_.clock.precise_local_time();
    const double time =
        FieldsToDateTime(read.fields) + read.units_past_ms / (kMillisecondsPerDay * 10000.0);
    const std::int64_t after = d_.clock.performance_counter();
    if (best_spread >= 0 && after - before >= best_spread) continue;
    best_spread = after - before;
    anchor_counter_ = before + best_spread / 2;
    anchor_time_ = time;
  }
}

void SyncEngine::StopWatchdog() {
  if (d_.watchdog.Enabled()) d_.watchdog.SetEnabled(false);
}

void SyncEngine::ShowIcon(const std::string& tip) {
  d_.icon.ShowWithTip(tip);
}

}  // namespace horalux
