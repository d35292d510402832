#include "core/engine/http_time_source.h"

#include "core/engine/result_texts.h"
#include "core/base/date_time.h"

namespace horalux {

FetchOutcome HttpTimeSource::Fetch() {
  const double t = page_ ? page_->GetHttpTime() : 0.0;
  if (t == 0.0) return {0.0, result_text::HttpFailed201(SelectedPageCaption())};
  // The fine adjustment and the nine hours of Japan Standard Time in one step.
  return {t + (screen_.udChouseiHTTP.Position() - kJstOffsetMs) / kMillisecondsPerDay,
          std::nullopt};
}

std::string HttpTimeSource::SelectedPageCaption() const {
  if (screen_.rbJapan.Checked()) return screen_.rbJapan.Caption();
  if (screen_.rbFennick2.Checked()) return screen_.rbFennick2.Caption();
  return screen_.rbFennick1.Caption();
}

}  // namespace horalux
