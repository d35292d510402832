#include "core/net/http_date.h"

#include <cstdint>
#include <span>

#include "core/base/ascii_case.h"
#include "core/base/date_time.h"
#include "core/base/trim_blanks.h"

namespace horalux {
namespace {

constexpr const char* kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kLongDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct Fields {
  int weekday = -1;  // 0 = Sunday
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}
  bool Text(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }
  // The index of the name that follows, or -1.
  int Name(std::span<const char* const> names) {
    for (std::size_t i = 0; i < names.size(); ++i)
      if (Text(names[i])) return static_cast<int>(i);
    return -1;
  }
  // Exactly `count` decimal digits.
  bool Digits(int count, int& value) {
    if (text_.size() - at_ < static_cast<std::size_t>(count)) return false;
    value = 0;
    for (int i = 0; i < count; ++i) {
      char c = text_[at_ + i];
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    at_ += count;
    return true;
  }
  bool Time(Fields& f) {
    return Digits(2, f.hour) && Text(":") && Digits(2, f.minute) && Text(":") &&
           Digits(2, f.second);
  }
  bool AtEnd() const { return at_ == text_.size(); }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

bool ReadImfFixdate(std::string_view text, Fields& f) {
  Cursor c(text);
  f.weekday = c.Name(kShortDays);
  return f.weekday >= 0 && c.Text(", ") && c.Digits(2, f.day) && c.Text(" ") &&
         (f.month = c.Name(kMonths) + 1) > 0 && c.Text(" ") && c.Digits(4, f.year) && c.Text(" ") &&
         c.Time(f) && c.Text(" GMT") && c.AtEnd();
}

bool ReadRfc850(std::string_view text, int this_year, Fields& f) {
  Cursor c(text);
  int two_digits = 0;
  f.weekday = c.Name(kLongDays);
  if (!(f.weekday >= 0 && c.Text(", ") && c.Digits(2, f.day) && c.Text("-") &&
        (f.month = c.Name(kMonths) + 1) > 0 && c.Text("-") && c.Digits(2, two_digits) &&
        c.Text(" ") && c.Time(f) && c.Text(" GMT") && c.AtEnd()))
    return false;
  // The year with those last digits nearest to now, at most 50 years ahead.
  f.year = this_year - this_year % 100 + two_digits;
  if (f.year > this_year + 50)
    f.year -= 100;
  else if (f.year <= this_year - 50)
    f.year += 100;
  return true;
}

bool ReadAsctime(std::string_view text, Fields& f) {
  Cursor c(text);
  f.weekday = c.Name(kShortDays);
  return f.weekday >= 0 && c.Text(" ") && (f.month = c.Name(kMonths) + 1) > 0 && c.Text(" ") &&
         (c.Digits(2, f.day) || (c.Text(" ") && c.Digits(1, f.day))) && c.Text(" ") && c.Time(f) &&
         c.Text(" ") && c.Digits(4, f.year) && c.AtEnd();
}

// "0", "00"...: the only Age that says the reply is fresh from the server.
bool IsZeroAge(std::string_view value) {
  return !value.empty() && value.find_first_not_of('0') == std::string_view::npos;
}

// One Date field value to UTC in days since 1899-12-30.
bool HttpDateToDateTime(std::string_view value, int this_year, double& utc) {
  Fields f;
  if (!ReadImfFixdate(value, f) && !ReadRfc850(value, this_year, f) && !ReadAsctime(value, f))
    return false;
  if (f.year < 1900 || f.year > 9999 || f.day < 1 || f.day > DaysInMonth(f.year, f.month) ||
      f.hour > 23 || f.minute > 59 || f.second > 59)
    return false;
  double value_days = EncodeDateTime(f.year, f.month, f.day, f.hour, f.minute, f.second, 0);
  // 1899-12-30, day 0, was a Saturday.
  if ((static_cast<std::int64_t>(value_days) + 6) % 7 != f.weekday) return false;
  utc = value_days;
  return true;
}

}  // namespace

double ReplyDateToJapanTime(std::string_view header_block, int this_year) {
  std::string_view date;
  bool has_date = false;
  bool fresh = true;
  // The first line is the status line.
  std::size_t start = header_block.find('\n');
  while (start != std::string_view::npos && start + 1 < header_block.size()) {
    ++start;
    std::size_t end = header_block.find('\n', start);
    std::string_view line = header_block.substr(start, end - start);
    start = end;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view name = line.substr(0, colon);
    std::string_view value = TrimBlanks(line.substr(colon + 1));
    if (SameIgnoringAsciiCase(name, "Date") && !has_date) {
      date = value;
      has_date = true;
    } else if (SameIgnoringAsciiCase(name, "Age") && !IsZeroAge(value)) {
      fresh = false;
    }
  }
  double utc = 0.0;
  if (!has_date || !fresh || !HttpDateToDateTime(date, this_year, utc)) return 0.0;
  return utc + kJstOffsetDays;
}

}  // namespace horalux
