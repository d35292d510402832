#pragma once
#include "core/engine/standard_time_page.h"
#include "core/engine/time_source.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// One GET of the selected standard-time page, no retries.
class HttpTimeSource : public TimeSource {
 public:
  // Without a page (no HTTP client plugged in) every fetch finds no time.
  HttpTimeSource(StandardTimePage* page, const JikokuScreen& screen)
      : page_(page), screen_(screen) {}
  FetchOutcome Fetch(SyncMode mode) override;

 private:
  // The selected page's caption; rbFennick1's when none is selected.
  std::string SelectedPageCaption() const;

  StandardTimePage* page_;
  const JikokuScreen& screen_;
};

}  // namespace horalux
