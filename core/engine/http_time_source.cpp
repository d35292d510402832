#include "core/engine/http_time_source.h"

#include "core/engine/result_texts.h"
#include "core/base/date_time.h"

namespace horalux {

FetchOutcome HttpTimeSource::Fetch(SyncMode mode) {
  const PageTime page = page_ ? page_->FetchTime(mode) : PageTime{};
  FetchOutcome outcome;
  if (page.passwordNotSaved) outcome.notice = result_text::kPasswordNotSaved;
  if (page.time == 0.0) {
    outcome.failure = page.proxyCredentialsNeeded
                          ? result_text::ProxyCredentialsNeeded202(SelectedPageCaption())
                          : result_text::HttpFailed201(SelectedPageCaption());
    return outcome;
  }
  // The fine adjustment and the nine hours of Japan Standard Time in one step.
  outcome.utc = page.time + (screen_.udChouseiHTTP.Position() - kJstOffsetMs) / kMillisecondsPerDay;
  return outcome;
}

std::string HttpTimeSource::SelectedPageCaption() const {
  if (screen_.rbJapan.Checked()) return screen_.rbJapan.Caption();
  if (screen_.rbFennick2.Checked()) return screen_.rbFennick2.Caption();
  return screen_.rbFennick1.Caption();
}

}  // namespace horalux
