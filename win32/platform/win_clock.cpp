#include "win32/platform/win_clock.h"

#include <windows.h>

#include "win32/platform/handle.h"
#include "win32/platform/wide.h"

namespace horalux {

SystemTimeFields WinClock::local_time() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
          st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

PreciseLocalTime WinClock::precise_local_time() {
  FILETIME utc, local;
  GetSystemTimePreciseAsFileTime(&utc);
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st))
    return {local_time(), 0};
  const ULONGLONG units = ULONGLONG{local.dwHighDateTime} << 32 | local.dwLowDateTime;
  return {{st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond,
           st.wMilliseconds},
          static_cast<int>(units % 10000)};
}

namespace {

// Windows holds the right to set the clock disabled in the token even where
// the user has it: switch it on around the call, and off again.
class SystemTimePrivilege {
 public:
  SystemTimePrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
      return;
    token_.reset(token);
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    if (!LookupPrivilegeValueW(nullptr, SE_SYSTEMTIME_NAME, &tp.Privileges[0].Luid)) return;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    DWORD size = sizeof previous_;
    enabled_ = AdjustTokenPrivileges(token_.get(), FALSE, &tp, sizeof tp, &previous_, &size) &&
               GetLastError() == ERROR_SUCCESS;
  }
  ~SystemTimePrivilege() {
    if (enabled_) AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
  }
  SystemTimePrivilege(const SystemTimePrivilege&) = delete;
  SystemTimePrivilege& operator=(const SystemTimePrivilege&) = delete;

 private:
  win32::UniqueHandle token_{nullptr};
  TOKEN_PRIVILEGES previous_{};
  bool enabled_ = false;
};

}  // namespace

ClockSet WinClock::set_system_time_utc(const SystemTimeFields& utc) {
  SystemTimePrivilege privilege;
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(utc.year);
  st.wMonth = static_cast<WORD>(utc.month);
  st.wDay = static_cast<WORD>(utc.day);
  st.wHour = static_cast<WORD>(utc.hour);
  st.wMinute = static_cast<WORD>(utc.minute);
  st.wSecond = static_cast<WORD>(utc.second);
  st.wMilliseconds = static_cast<WORD>(utc.millisecond);
  if (SetSystemTime(&st)) return ClockSet::Set;
  // Read before the privilege is switched back, which resets the last error.
  return GetLastError() == ERROR_PRIVILEGE_NOT_HELD ? ClockSet::NoRight : ClockSet::Failed;
}

std::int64_t WinClock::performance_counter() {
  LARGE_INTEGER v;
  QueryPerformanceCounter(&v);
  return v.QuadPart;
}

std::int64_t WinClock::performance_frequency() {
  LARGE_INTEGER v;
  QueryPerformanceFrequency(&v);
  return v.QuadPart;
}

std::uint32_t WinClock::tick_count() {
  return GetTickCount();
}

void WinClock::sleep(std::uint32_t milliseconds) {
  Sleep(milliseconds);
}

TimeZoneReport WinClock::time_zone() {
  TIME_ZONE_INFORMATION tz;
  DWORD id = GetTimeZoneInformation(&tz);
  TimeZoneReport r;
  r.bias = tz.Bias;
  r.standard_bias = tz.StandardBias;
  r.daylight_bias = tz.DaylightBias;
  switch (id) {
    case TIME_ZONE_ID_STANDARD:
      r.kind = TimeZoneReport::Kind::Standard;
      break;
    case TIME_ZONE_ID_DAYLIGHT:
      r.kind = TimeZoneReport::Kind::Daylight;
      break;
    case TIME_ZONE_ID_UNKNOWN:
      r.kind = TimeZoneReport::Kind::Unknown;
      break;
    default:
      r.kind = TimeZoneReport::Kind::Failed;
      r.error_text = win32::SystemErrorText(GetLastError());
      break;
  }
  return r;
}

}  // namespace horalux
