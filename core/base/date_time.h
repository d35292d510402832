#pragma once
#include "core/platform/clock.h"

namespace horalux {

// Date-time values are days since 1899-12-30, the fraction being the time of day.
inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr double kMillisecondsPerDay = 86400000.0;
// Every fetched time is taken as Japan Standard Time, nine hours ahead of
// UTC, whatever the PC's own zone is.
inline constexpr int kJstOffsetMs = 32400000;
inline constexpr double kJstOffsetDays = kJstOffsetMs / kMillisecondsPerDay;  // 0.375

bool IsLeapYear(int year);
// Days in a month (1 to 12) of the Gregorian calendar.
int DaysInMonth(int year, int month);

// Days of a calendar date and time; fields must be valid.
double EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                      int millisecond);
double FieldsToDateTime(const SystemTimeFields& f);
// Splits a value into calendar fields, the time rounded to the nearest
// millisecond (a time that rounds up to midnight moves to the next day).
SystemTimeFields DateTimeToFields(double value);

}  // namespace horalux
