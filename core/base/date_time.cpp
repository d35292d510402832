#include "core/base/date_time.h"

#include <cmath>
#include <cstdint>

namespace horalux {
namespace {

// Days from 0001-01-01 to the given date, proleptic Gregorian.
std::int64_t DaysFromCivil(int y, int m, int d) {
  static const int kCumulative[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  std::int64_t yy = y - 1;
  std::int64_t days = yy * 365 + yy / 4 - yy / 100 + yy / 400;
  days += kCumulative[m - 1] + (m > 2 && IsLeapYear(y) ? 1 : 0) + d - 1;
  return days;
}

constexpr std::int64_t kEpochOffset = 693593;  // 0001-01-01 .. 1899-12-30

}  // namespace

bool IsLeapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

double EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                      int millisecond) {
  double date = static_cast<double>(DaysFromCivil(year, month, day) - kEpochOffset);
  double time =
      (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / kMillisecondsPerDay;
  // Times before the epoch carry the time of day away from zero.
  return date < 0 ? date - time : date + time;
}

double FieldsToDateTime(const SystemTimeFields& f) {
  return EncodeDateTime(f.year, f.month, f.day, f.hour, f.minute, f.second, f.millisecond);
}

SystemTimeFields DateTimeToFields(double value) {
  // Whole milliseconds since 0001-01-01, rounded like the time stamp conversion.
  std::int64_t ms_total = std::llround(std::fabs(value - std::trunc(value)) * kMillisecondsPerDay);
  std::int64_t days = static_cast<std::int64_t>(std::trunc(value)) + kEpochOffset;
  if (ms_total >= 86400000) {
    ms_total -= 86400000;
    ++days;
  }
  SystemTimeFields f;
  f.day_of_week = static_cast<int>((days + 1) % 7);  // 0001-01-01 was a Monday
  // Civil date from day count (days since 0001-01-01).
  std::int64_t n = days;
  int y400 = static_cast<int>(n / 146097);
  n %= 146097;
  int y100 = static_cast<int>(n / 36524);
  if (y100 == 4) y100 = 3;
  n -= static_cast<std::int64_t>(y100) * 36524;
  int y4 = static_cast<int>(n / 1461);
  n %= 1461;
  int y1 = static_cast<int>(n / 365);
  if (y1 == 4) y1 = 3;
  n -= static_cast<std::int64_t>(y1) * 365;
  int year = y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1;
  static const int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int month = 1;
  for (int i = 0; i < 12; ++i) {
    int len = kLengths[i] + (i == 1 && IsLeapYear(year) ? 1 : 0);
    if (n < len) break;
    n -= len;
    ++month;
  }
  f.year = year;
  f.month = month;
  f.day = static_cast<int>(n) + 1;
  f.hour = static_cast<int>(ms_total / 3600000);
  f.minute = static_cast<int>(ms_total / 60000 % 60);
  f.second = static_cast<int>(ms_total / 1000 % 60);
  f.millisecond = static_cast<int>(ms_total % 1000);
  return f;
}

}  // namespace horalux
