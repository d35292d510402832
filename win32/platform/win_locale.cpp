#include "win32/platform/win_locale.h"

#include <windows.h>

#include "win32/platform/wide.h"

namespace horalux {
namespace {

std::string Info(LCTYPE type) {
  wchar_t buf[128];
  int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 128);
  return n > 1 ? win32::Narrow(buf, n - 1) : std::string();
}

}  // namespace

std::string WinLocale::abbreviated_day_name(int day_of_week) {
  // The locale numbers days from Monday (1) to Sunday (7).
  int d = ((day_of_week % 7) + 7) % 7;
  return Info(
      static_cast<LCTYPE>(d == 0 ? LOCALE_SABBREVDAYNAME7 : LOCALE_SABBREVDAYNAME1 + d - 1));
}

std::string WinLocale::long_time(int hour, int minute, int second) {
  SYSTEMTIME st{};
  st.wYear = 2000;
  st.wMonth = 1;
  st.wDay = 1;
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  wchar_t buf[128];
  int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, 128);
  return n > 1 ? win32::Narrow(buf, n - 1) : std::string();
}

std::string WinLocale::thousands_separator() {
  return Info(LOCALE_STHOUSAND);
}
std::string WinLocale::decimal_separator() {
  return Info(LOCALE_SDECIMAL);
}

}  // namespace horalux
