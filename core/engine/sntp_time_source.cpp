#include "core/engine/sntp_time_source.h"

#include <exception>

#include "core/engine/result_texts.h"
#include "core/net/time_servers.h"
#include "core/base/date_time.h"

namespace horalux {

namespace rt = result_text;

namespace {
constexpr int kLastAttempt = 6;
constexpr std::uint32_t kPauseBetweenAttemptsMs = 1000;

FetchOutcome Failed(std::string text) {
  return {0.0, std::move(text), {}};
}
}  // namespace

FetchOutcome SntpTimeSource::Fetch(SyncMode /*mode*/) {
  sntp_.SetActive(false);
  sntp_.SetBroadcastEnabled(false);
  while (true) {
    ++attempts_;
    if (sntp_.Active()) sntp_.SetActive(false);
    if (attempts_ > 1) clock_.sleep(kPauseBetweenAttemptsMs);
    double value = 0.0;
    bool raised = false;
    try {
      sntp_.SetActive(true);
      double v = sntp_.QueryTime();
      value = v + screen_.udChouseiSNTP.Position() / kMillisecondsPerDay;
      sntp_.SetActive(false);
    } catch (const std::exception&) {
      raised = true;
    }
    if (raised) {
      if (screen_.cbSNTP.Checked()) return Failed(rt::HandGivenHostFailed103(sntp_.Host()));
      if (attempts_ >= kLastAttempt) return Failed(rt::kRepeatedFailure301);
      sntp_.SetHost(NextHost(sntp_.Host()));
      continue;
    }
    // Not guarded: a failure here is an unexpected failure of the cycle.
    double w = sntp_.QueryTime();
    if (w >= 1.0) return {value - kJstOffsetDays, std::nullopt, {}};
    if (attempts_ >= kLastAttempt) return Failed(rt::kRepeatedNoReply302);
    sntp_.SetHost(NextHost(sntp_.Host()));
  }
}

std::string SntpTimeSource::NextHost(const std::string& host) {
  if (host == kServerA) return kServerB;
  if (host == kServerB) return kServerC;
  if (host == kServerC) return kServerD;
  return kServerA;
}

}  // namespace horalux
