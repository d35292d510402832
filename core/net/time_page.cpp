#include "core/net/time_page.h"

#include <cstdint>
#include <initializer_list>

#include "core/base/ascii_case.h"
#include "core/base/date_time.h"
#include "core/base/sjis.h"
#include "core/net/http_date.h"

namespace horalux {
namespace {

constexpr char kOpenMarker[] = "Date.parse(\"";  // 12 bytes
constexpr char kCloseMarker[] = "\")";
constexpr std::size_t kOpenMarkerLength = 12;

// The start of the character after the one at `at`; a lead byte at the very
// end is a character of its own.
std::size_t NextChar(std::string_view text, std::size_t at) {
  return at + SjisCharLength(text, at);
}

// The first occurrence of `needle` that starts on a character boundary.
std::size_t FindChars(std::string_view text, std::string_view needle) {
  for (std::size_t at = 0; at < text.size(); at = NextChar(text, at))
    if (text.substr(at, needle.size()) == needle) return at;
  return std::string_view::npos;
}

bool IsSeparatorBlank(char c) {
  auto b = static_cast<unsigned char>(c);
  return b >= 1 && b <= 32;
}

// An item that starts with a double quote: up to the matching quote, a
// doubled quote standing for one. `at` moves past the closing quote.
std::string QuotedItem(std::string_view text, std::size_t& at) {
  std::string item;
  ++at;
  while (at < text.size()) {
    if (text[at] == '"') {
      if (at + 1 < text.size() && text[at + 1] == '"') {
        item += '"';
        at += 2;
        continue;
      }
      ++at;
      break;
    }
    std::size_t next = NextChar(text, at);
    item.append(text.substr(at, next - at));
    at = next;
  }
  return item;
}

class TextReader {
 public:
  explicit TextReader(std::string_view text) : text_(text) {}
  void SkipBlanks() {
    while (at_ < text_.size() && text_[at_] == ' ') ++at_;
  }
  bool Take(char c) {
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool TakeText(std::string_view word, bool ignore_case) {
    if (text_.size() - at_ < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      char c = text_[at_ + i];
      if (ignore_case) c = AsciiUpper(c);
      if (c != word[i]) return false;
    }
    at_ += word.size();
    return true;
  }
  // Decimal digits, at most 9 of them (anything longer is not a number here).
  bool Number(int& value, int* digits = nullptr) {
    std::size_t start = at_;
    std::int64_t v = 0;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
      if (at_ - start == 9) return false;
      v = v * 10 + (text_[at_++] - '0');
    }
    if (at_ == start) return false;
    value = static_cast<int>(v);
    if (digits) *digits = static_cast<int>(at_ - start);
    return true;
  }
  // "AM" / "PM" or the Japanese morning / afternoon markers: 1 morning, 2
  // afternoon, 0 none.
  int Marker() {
    if (TakeText("AM", true) || TakeText("\x8C\xDF\x91\x4F", false)) return 1;  // 午前
    if (TakeText("PM", true) || TakeText("\x8C\xDF\x8C\xE3", false)) return 2;  // 午後
    return 0;
  }
  bool AtEnd() const { return at_ >= text_.size(); }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

bool IsServersTimeReply(int status) {
  // A redirect the client returns with is one it does not follow: it ends
  // the chain and is the server's own. A 407, a 502 or a 503 is a proxy
  // speaking with the proxy's clock; status 0 is nobody's reply.
  return (status >= 200 && status <= 299) || status == 404 || status == 410 ||
         (status >= 300 && status <= 308);
}

std::string TimePageUrl(const std::string& set_address) {
  return set_address.empty() ? kJapanPageUrl : set_address;
}

double GetHttpTime(THttpClient& client, const std::string& page_url, int this_year,
                   const std::string& header_copy, bool* from_date_header) {
  if (from_date_header) *from_date_header = false;
  try {
    client.RequestLines.clear();
    client.RequestLines.push_back(kIdentificationLine);
    client.Header = header_copy;
    client.OutputFileMode = !header_copy.empty();
    try {
      client.Get(page_url);
    } catch (...) {
      client.OutputFileMode = false;
      return 0.0;
    }
    client.OutputFileMode = false;
    if (!IsServersTimeReply(client.Status())) return 0.0;
    std::string line;
    if (!FindDateParseLine(client.Body, line)) {
      if (from_date_header) *from_date_header = true;
      return ReplyDateToJapanTime(client.ReplyHeader(), this_year);
    }
    return DateParseToDateTime(line);
  } catch (...) {
    return 0.0;  // even a failed allocation ends as "no time"
  }
}

bool FindDateParseLine(const std::string& body, std::string& line) {
  std::string_view text(body);
  text = text.substr(0, text.find('\0'));
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view candidate = text.substr(start, end - start);
    if (FindChars(candidate, "Date.parse") != std::string_view::npos &&
        FindChars(candidate, ":") != std::string_view::npos &&
        FindChars(candidate, "\"") != std::string_view::npos) {
      line.assign(candidate);
      return true;
    }
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
      ++end;
    start = end + 1;
  }
  return false;
}

double DateParseToDateTime(const std::string& line) {
  try {
    std::size_t open = FindChars(line, kOpenMarker);
    std::size_t close = FindChars(line, kCloseMarker);
    if (open == std::string::npos || close == std::string::npos || close < open + kOpenMarkerLength)
      return 0.0;
    std::vector<std::string> items = SplitItems(
        std::string_view(line).substr(open + kOpenMarkerLength, close - open - kOpenMarkerLength));
    if (items.size() < 5) return 0.0;
    std::string text =
        items[4] + "/" + MonthNameToNumber(items[1]) + "/" + items[2] + " " + items[3];
    double value = 0.0;
    return DateTimeTextToValue(text, value) ? value : 0.0;
  } catch (...) {
    return 0.0;
  }
}

std::string MonthNameToNumber(const std::string& name) {
  static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
  const std::string lower = AsciiLowered(name);
  for (int i = 0; i < 12; ++i)
    if (lower == kMonths[i]) return std::to_string(i + 1);
  return "0";
}

std::vector<std::string> SplitItems(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> items;
  std::size_t at = 0;
  while (at < text.size() && IsSeparatorBlank(text[at])) ++at;
  while (at < text.size()) {
    if (text[at] == '"') {
      items.push_back(QuotedItem(text, at));
    } else {
      std::size_t start = at;
      while (at < text.size() && !IsSeparatorBlank(text[at]) && text[at] != ',')
        at = NextChar(text, at);
      items.emplace_back(text.substr(start, at - start));
    }
    while (at < text.size() && IsSeparatorBlank(text[at])) ++at;
    if (at < text.size() && text[at] == ',') {
      do ++at;
      while (at < text.size() && IsSeparatorBlank(text[at]));
    }
  }
  return items;
}

bool DateTimeTextToValue(std::string_view text, double& value) {
  TextReader r(text);
  int year = 0, month = 0, day = 0, year_digits = 0;
  r.SkipBlanks();
  if (!r.Number(year, &year_digits)) return false;
  for (int* part : {&month, &day}) {
    r.SkipBlanks();
    if (!r.Take('/')) return false;
    r.SkipBlanks();
    if (!r.Number(*part)) return false;
  }
  // Years of one or two digits belong to this century.
  if (year_digits <= 2) year += 2000;
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    return false;

  int hour = 0, minute = 0, second = 0, millisecond = 0;
  r.SkipBlanks();
  if (!r.AtEnd()) {
    int marker = r.Marker();
    r.SkipBlanks();
    if (!r.Number(hour)) return false;
    if (r.Take(':')) {
      if (!r.Number(minute)) return false;
      if (r.Take(':')) {
        if (!r.Number(second)) return false;
        if (r.Take('.') && !r.Number(millisecond)) return false;
      }
    }
    r.SkipBlanks();
    if (marker == 0) marker = r.Marker();
    if (marker != 0) {
      if (hour < 1 || hour > 12) return false;
      hour = hour % 12 + (marker == 2 ? 12 : 0);
    }
  }
  if (hour > 23 || minute > 59 || second > 59 || millisecond > 999) return false;
  value = EncodeDateTime(year, month, day, hour, minute, second, millisecond);
  return true;
}

}  // namespace horalux
