#pragma once
#include <string>

namespace horalux {

// The user's locale, as the OS reports it.
class LocaleInfo {
 public:
  virtual ~LocaleInfo() = default;
  // Abbreviated weekday name; 0 = Sunday.
  virtual std::string abbreviated_day_name(int day_of_week) = 0;
  // A time of day in the user's long time format.
  virtual std::string long_time(int hour, int minute, int second) = 0;
  virtual std::string thousands_separator() = 0;
  virtual std::string decimal_separator() = 0;
};

}  // namespace horalux
