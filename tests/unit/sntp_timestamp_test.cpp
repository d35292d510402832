#include <gtest/gtest.h>

#include "core/net/id_exceptions.h"
#include "core/net/ntp_timestamp.h"
#include "core/base/date_time.h"
#include "tests/fakes/fake_clock.h"

namespace horalux {
namespace {

constexpr double kJapan = -0.375;

TEST(DecodeNtpTimestamp, GivesLocalTimeTruncatedToWholeMilliseconds) {
  struct Row {
    std::uint32_t seconds, fraction;
    SystemTimeFields local;
  } rows[] = {
      // The exact half second is 499 ms: the fraction is scaled by 2^32 + 1.
      {3365971200u, 0x80000000u, {2006, 8, 4, 31, 9, 0, 0, 499}},
      {3365971200u, 0xFFFFFFFFu, {2006, 8, 4, 31, 9, 0, 0, 999}},
      // Below a millisecond is dropped, not rounded.
      {3365971200u, 4294967u, {2006, 8, 4, 31, 9, 0, 0, 0}},
      {3365971200u, 4294968u, {2006, 8, 4, 31, 9, 0, 0, 1}},
      // Seconds with the top bit set count as unsigned.
      {0x80000000u, 0, {1968, 1, 6, 20, 12, 14, 8, 0}},
      {0xFFFFFFFFu, 0, {2036, 2, 4, 7, 15, 28, 15, 0}},
      {0x7FFFFFFFu, 0, {1968, 1, 6, 20, 12, 14, 7, 0}},
  };
  for (const Row& row : rows) {
    SystemTimeFields got =
        DateTimeToFields(DecodeNtpTimestamp({row.seconds, row.fraction}, kJapan));
    const SystemTimeFields& want = row.local;
    EXPECT_EQ(
        std::tie(got.year, got.month, got.day, got.hour, got.minute, got.second, got.millisecond),
        std::tie(want.year, want.month, want.day, want.hour, want.minute, want.second,
                 want.millisecond))
        << row.seconds << "." << row.fraction;
  }
  EXPECT_DOUBLE_EQ(DecodeNtpTimestamp({3365971200u, 0x80000000u}, kJapan), 38960.375005775466);
}

TEST(EncodeNtpTimestamp, GivesSecondsSince1900AndTheScaledFraction) {
  struct Row {
    SystemTimeFields local;
    double bias;
    NtpTimestamp want;
  } rows[] = {
      {{2006, 8, 4, 31, 9, 0, 0, 500}, kJapan, {3365971200u, 2147483648u}},
      {{2006, 8, 4, 31, 0, 0, 0, 0}, 0.0, {3365971200u, 0}},
      {{2006, 8, 4, 30, 19, 0, 0, 0}, 300 / 1440.0, {3365971200u, 0}},
      // Seconds past 2^32 + 1 wrap by that number (outside the first era).
      {{2036, 2, 4, 7, 6, 28, 20, 0}, 0.0, {3u, 0}},
  };
  for (const Row& row : rows) {
    NtpTimestamp got = EncodeNtpTimestamp(FieldsToDateTime(row.local), row.bias);
    EXPECT_EQ(got.seconds, row.want.seconds) << row.local.year << "-" << row.local.hour;
    EXPECT_EQ(got.fraction, row.want.fraction) << row.local.year << "-" << row.local.hour;
  }
}

TEST(LocalBiasDays, AddsTheExtraBiasOfTheReportedSeason) {
  using Kind = TimeZoneReport::Kind;
  struct Row {
    Kind kind;
    int bias, standard_bias, daylight_bias;
    double want_minutes;
  } rows[] = {
      {Kind::Unknown, -540, 0, 0, -540},  // Japan: no transitions
      {Kind::Unknown, 300, 10, -60, 300},  {Kind::Standard, 300, 10, -60, 310},
      {Kind::Daylight, 300, 10, -60, 240}, {Kind::Daylight, -60, 0, -60, -120},
  };
  for (const Row& row : rows) {
    fakes::FakeClock clock;
    clock.zone = {row.kind, row.bias, row.standard_bias, row.daylight_bias, ""};
    EXPECT_DOUBLE_EQ(LocalBiasDays(clock), row.want_minutes / 1440) << row.bias;
  }
}

TEST(LocalBiasDays, FailedReportRaisesTheSystemText) {
  fakes::FakeClock clock;
  clock.zone.kind = TimeZoneReport::Kind::Failed;
  clock.zone.error_text = "アクセスが拒否されました。";
  try {
    LocalBiasDays(clock);
    FAIL() << "no error";
  } catch (const EIdException& e) {
    EXPECT_STREQ(e.what(), "アクセスが拒否されました。");
  }
}

}  // namespace
}  // namespace horalux
