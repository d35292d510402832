#include <gtest/gtest.h>

#include "core/engine/browser_proxy_precheck.h"
#include "tests/fakes/fake_ui.h"

namespace horalux {
namespace {

using Outcome = ProxyPrecheck::Outcome;

TEST(BrowserProxyPrecheck, FollowsTheBrowsersProxy) {
  struct Row {
    const char* name;
    bool http, proxy_box, no_check, in_use, answer, shown;
    Outcome outcome;
    bool http_after, proxy_box_after;
    const char* address_after;
    const char* port_after;
    int questions, focus, applies;
  } rows[] = {
      {"sntp, proxy, yes", false, false, false, true, true, true, Outcome::GoOn, true, true, "p",
       "8080", 1, 1, 1},
      {"sntp, proxy, yes, hidden", false, false, false, true, true, false, Outcome::GoOn, true,
       true, "p", "8080", 1, 0, 1},
      {"sntp, proxy, no", false, false, false, true, false, true, Outcome::EndNow, false, false,
       "mine", "3128", 1, 0, 0},
      {"sntp, no proxy", false, true, false, false, true, true, Outcome::GoOn, false, true, "mine",
       "3128", 0, 0, 0},
      {"http, proxy, box off", true, false, false, true, true, true, Outcome::GoOn, true, true, "p",
       "8080", 0, 0, 1},
      // The user's own proxy stays when the box is already ticked.
      {"http, proxy, box on", true, true, false, true, true, true, Outcome::GoOn, true, true,
       "mine", "3128", 0, 0, 1},
      {"http, no proxy, box on", true, true, false, false, true, true, Outcome::GoOn, true, false,
       "mine", "3128", 0, 0, 1},
      {"check switched off", false, false, true, true, true, true, Outcome::GoOn, false, false,
       "mine", "3128", 0, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    JikokuScreen screen;
    fakes::FakeBoxes boxes;
    screen.rbHTTP.SetChecked(r.http);
    screen.rbSNTP.SetChecked(!r.http);
    screen.cbProxy.SetChecked(r.proxy_box);
    screen.cbNoCkProxy.SetChecked(r.no_check);
    screen.edtProxy.SetText("mine");
    screen.edtPort.SetText("3128");
    boxes.answers = {r.answer};
    int lookups = 0, focus = 0, applies = 0;
    BrowserProxyPrecheck precheck(
        screen, boxes,
        [&] {
          ++lookups;
          return TProxy{"p", 8080, r.in_use};
        },
        [&] { return r.shown; }, [&] { ++focus; }, [&] { ++applies; });
    EXPECT_EQ(precheck.Run(), r.outcome);
    EXPECT_EQ(lookups, r.no_check ? 0 : 1);
    EXPECT_EQ(screen.rbHTTP.Checked(), r.http_after);
    EXPECT_EQ(screen.cbProxy.Checked(), r.proxy_box_after);
    EXPECT_EQ(screen.edtProxy.Text(), r.address_after);
    EXPECT_EQ(screen.edtPort.Text(), r.port_after);
    EXPECT_EQ(static_cast<int>(boxes.shown.size()), r.questions);
    if (r.questions) {
      EXPECT_EQ(boxes.shown[0].title, "確認");
      EXPECT_TRUE(boxes.shown[0].yes_is_default);
    }
    EXPECT_EQ(focus, r.focus);
    EXPECT_EQ(applies, r.applies);
  }
}

}  // namespace
}  // namespace horalux
