#include "core/engine/sntp_delay_measure.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "core/net/id_exceptions.h"
#include "core/net/time_servers.h"

namespace horalux {
namespace {

// As the main window's own time source waits.
constexpr int kReceiveTimeoutMs = 1000;
// Window events are looked at this often during a pause.
constexpr std::uint32_t kPumpEveryMs = 10;
constexpr double kNtpUnitsPerSecond = 4294967296.0;

std::uint64_t Units(const NtpTimestamp& t) {
  return static_cast<std::uint64_t>(t.seconds) << 32 | t.fraction;
}

// The host cannot be looked up: the measurement ends there.
struct Unresolvable {};

// Holds `busy` true and the controls grey while the measurement runs, and
// gives both back however it ends.
class Greyed {
 public:
  Greyed(std::vector<TControl*> controls, bool& busy)
      : controls_(std::move(controls)), busy_(busy) {
    busy_ = true;
    for (TControl* c : controls_) {
      was_.push_back(c->Enabled());
      c->SetEnabled(false);
    }
  }
  ~Greyed() {
    for (std::size_t i = 0; i < controls_.size(); ++i) controls_[i]->SetEnabled(was_[i]);
    busy_ = false;
  }
  Greyed(const Greyed&) = delete;
  Greyed& operator=(const Greyed&) = delete;

 private:
  std::vector<TControl*> controls_;
  bool& busy_;
  std::vector<bool> was_;
};

}  // namespace

std::optional<double> DelaySampleMs(const SntpExchangeTimes& first, std::int64_t second_received,
                                    std::int64_t frequency) {
  const std::uint64_t t2 = Units(first.server_received);
  const std::uint64_t t3 = Units(first.server_sent);
  if (t3 < t2) return std::nullopt;
  // From the raw stamps: whole milliseconds would read 0 or 1 at random.
  const double hold_ms = static_cast<double>(t3 - t2) * 1000.0 / kNtpUnitsPerSecond;
  const double per_ms = static_cast<double>(frequency) / 1000.0;
  const double round_trip_ms = static_cast<double>(first.received - first.sent) / per_ms - hold_ms;
  if (round_trip_ms < 0) return std::nullopt;
  return round_trip_ms / 2 + static_cast<double>(second_received - first.received) / per_ms;
}

int FineAdjustmentFromSamples(const std::vector<double>& samples, int min, int max) {
  const double smallest = *std::min_element(samples.begin(), samples.end());
  const double bounded = std::clamp(smallest, static_cast<double>(min), static_cast<double>(max));
  return static_cast<int>(std::lround(bounded));
}

std::string SntpDelayMeasure::CycleServer() const {
  return d_.screen.cbSNTP.Checked() ? d_.screen.edtSNTP.Text() : std::string(kServerA);
}

void SntpDelayMeasure::btnSokuteiClick() {
  if (measuring_ || (d_.cycle_busy && d_.cycle_busy())) return;
  JikokuScreen& s = d_.screen;
  const std::string host = CycleServer();
  Result result;
  {
    stop_requested_ = false;
    Greyed greyed({&s.btnSokutei, &s.btnJikkou, &s.edtChouseiSNTP}, measuring_);
    result = Measure(host);
  }
  switch (result.outcome) {
    case Outcome::Stopped:
      return;
    case Outcome::NoReply:
      d_.boxes.message("時刻サーバーから応答がありませんでした。\r\n微調整は変更していません。");
      return;
    case Outcome::Unresolvable:
      d_.boxes.message("ホスト名（又はＩＰアドレス）を確認できません。\r\nHost = [" + host + "]");
      return;
    case Outcome::Measured:
      s.edtChouseiSNTP.TypeValue(std::to_string(result.adjustment));
      d_.boxes.message("時刻サーバーまでの遅れを測りました（" + std::to_string(result.good) +
                       "回中の最小）。\r\n微調整を " + std::to_string(result.adjustment) +
                       " ms にしました。");
      return;
  }
}

SntpDelayMeasure::Result SntpDelayMeasure::Measure(const std::string& host) {
  TIdSNTP sntp(d_.network, d_.clock);
  sntp.SetHost(host);
  sntp.SetPort(TIdSNTP::kDefaultPort);
  sntp.SetReceiveTimeout(kReceiveTimeoutMs);
  std::vector<double> samples;
  for (int i = 0; i < kSamples; ++i) {
    if (i > 0 && !Pause()) return {Outcome::Stopped};
    try {
      if (std::optional<double> ms = Sample(sntp)) samples.push_back(*ms);
    } catch (const Unresolvable&) {
      return {Outcome::Unresolvable};
    }
  }
  if (samples.empty()) return {Outcome::NoReply};
  const TUpDown& field = d_.screen.udChouseiSNTP;
  return {Outcome::Measured, FineAdjustmentFromSamples(samples, field.Min(), field.Max()),
          static_cast<int>(samples.size())};
}

std::optional<double> SntpDelayMeasure::Sample(TIdSNTP& sntp) {
  SntpExchangeTimes first, second;
  const SntpExchangeTimes* current = &first;
  try {
    sntp.SetActive(true);
    const double v = sntp.QueryTime(first);
    sntp.SetActive(false);
    if (v < 1.0) return std::nullopt;
    current = &second;
    const double w = sntp.QueryTime(second);
    sntp.SetActive(false);
    if (w < 1.0) return std::nullopt;
  } catch (const EIdSocketError&) {
    sntp.SetActive(false);
    if (!current->resolved) throw Unresolvable{};
    return std::nullopt;
  } catch (const std::exception&) {
    // Any other failure makes a bad sample; none reaches the user.
    sntp.SetActive(false);
    return std::nullopt;
  }
  return DelaySampleMs(first, second.received, d_.clock.performance_frequency());
}

bool SntpDelayMeasure::Pause() {
  const std::uint32_t start = d_.clock.tick_count();
  for (;;) {
    d_.pump.process_messages();
    if (stop_requested_ || d_.pump.quitting()) return false;
    const std::uint32_t spent = d_.clock.tick_count() - start;
    if (spent >= kPauseMs) return true;
    d_.clock.sleep(std::min(kPumpEveryMs, kPauseMs - spent));
  }
}

}  // namespace horalux
