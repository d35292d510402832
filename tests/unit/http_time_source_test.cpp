#include "core/engine/http_time_source.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/base/date_time.h"
#include "tests/fakes/fake_clock.h"

namespace horalux {
namespace {

struct ServerRow {
  const char* name;
  double ahead_s;  // the server's clock ahead of the PC's (negative: behind)
  double out_ms = 5, back_ms = 5;
  double tolerance_ms = 5;  // of the server time found
  int late_request = 0;     // this request goes out 300 ms after its plan
  int wrong_request = 0;    // this reply's Date is a second late
  int failing_request = 0;  // this request finds no time
  bool date_parse = false;  // the page states its time in a Date.parse line
  bool unticked = false;
  int requests = 0;  // expected, when the measurement must end early
};

// A web server on the fake clock: it stamps its Date (truncated to the
// second) when the request reaches it.
struct FakeWebServer : StandardTimePage {
  FakeWebServer(fakes::FakeClock& c, const ServerRow& r) : clock(c), row(r) {}
  PageTime FetchTime(SyncMode) override { return Reply(0); }
  PageTime FetchTimeAt(std::int64_t send_at) override { return Reply(send_at); }

  PageTime Reply(std::int64_t send_at) {
    ++requests;
    clock.advance_ms(3);  // the connect
    const double early = static_cast<double>(send_at - clock.performance_counter()) / 1e4;
    if (send_at != 0 && early > 0) clock.advance_ms(early);
    if (requests == row.late_request) clock.advance_ms(300);
    PageTime page;
    page.fromDateHeader = !row.date_parse;
    page.sent = clock.performance_counter();
    clock.advance_ms(row.out_ms);
    double date = std::floor(clock.local_now() * 86400 + row.ahead_s);
    if (requests == row.wrong_request) date += 1;
    clock.advance_ms(row.back_ms);
    page.received = clock.performance_counter();
    page.time = requests == row.failing_request ? 0.0 : date / 86400;
    if (requests == 1) first = {page.time, clock.local_now()};
    return page;
  }
  fakes::FakeClock& clock;
  ServerRow row;
  int requests = 0;
  struct {
    double time, received;  // the first reply's Date and its arrival, in days
  } first{};
};

TEST(HttpSecondBoundary, FindsTheServersTimeWithinTheStopWidth) {
  const ServerRow rows[] = {
      {"in step", 0.0},
      {"a millisecond ahead", 0.001},
      {"half a second ahead", 0.5},
      {"just short of a second ahead", 0.999},
      {"behind", -3.25},
      {"unequal delays", 0.3, 5, 35, 15 + 5},
      {"a request off its plan", 0.25, 5, 5, 5, 3},
      // Stops at the wrong reply with the three before it: their interval.
      {"an inconsistent reply", 0.7, 5, 5, 130, 0, 4, 0, false, false, 4},
      {"a failing later request", 0.4, 5, 5, 0, 0, 0, 2, false, false, 2},
      {"a Date.parse page", 0.4, 5, 5, 0, 0, 0, 0, true, false, 1},
      {"box unticked", 0.4, 5, 5, 0, 0, 0, 0, false, true, 1},
  };
  for (const ServerRow& row : rows) {
    SCOPED_TRACE(row.name);
    fakes::FakeClock clock(EncodeDateTime(2026, 12, 8, 9, 0, 0, 0));
    JikokuScreen screen;
    screen.cbSeimitsu.SetChecked(!row.unticked);
    FakeWebServer server(clock, row);
    HttpTimeSource source(&server, screen, clock);
    const FetchOutcome got = source.Fetch(SyncMode::ConnectionTest);
    ASSERT_FALSE(got.failure);
    EXPECT_EQ(source.Requests(), server.requests);
    if (row.requests) {
      EXPECT_EQ(server.requests, row.requests);
    }
    EXPECT_LE(server.requests, 8);
    if (row.tolerance_ms == 0) {  // the first Date and the default 500 ms, aged since it came
      const double aged = clock.local_now() - server.first.received;
      EXPECT_NEAR((got.utc - server.first.time - aged) * kMillisecondsPerDay, 500 - kJstOffsetMs,
                  1e-3);
      continue;
    }
    const double truth = clock.local_now() + row.ahead_s / 86400 - kJstOffsetDays;
    EXPECT_NEAR((got.utc - truth) * kMillisecondsPerDay, 0, row.tolerance_ms);
  }
}

}  // namespace
}  // namespace horalux
