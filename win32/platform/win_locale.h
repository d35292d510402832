#pragma once
#include "core/platform/locale_info.h"

namespace horalux {

// The user's locale through GetLocaleInfoW and GetTimeFormatW.
class WinLocale : public LocaleInfo {
 public:
  std::string abbreviated_day_name(int day_of_week) override;
  std::string long_time(int hour, int minute, int second) override;
  std::string thousands_separator() override;
  std::string decimal_separator() override;
};

}  // namespace horalux
