// The standard-time page's body: the Date.parse line is looked for in it
// and its date read, as the HTTP source does with every page it fetches.
// The same bytes as a reply's header lines: its Date line read.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/base/date_time.h"
#include "core/net/http_date.h"
#include "core/net/time_page.h"
#include "fuzz/fuzz_input.h"

using namespace horalux;

namespace {

// Dates of years 1 to 9999 only; anything else is no time (0).
void RequireRealDate(double value) {
  if (value == 0.0) return;
  fuzz::Require(std::isfinite(value) && value >= EncodeDateTime(1, 1, 1, 0, 0, 0, 0) &&
                    value <= EncodeDateTime(9999, 12, 31, 23, 59, 59, 999),
                "a date read from a page is a real date");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  std::string line;
  if (FindDateParseLine(body, line)) {
    fuzz::Require(body.find(line) != std::string::npos, "the line is part of the page");
    RequireRealDate(DateParseToDateTime(line));
  }
  // The line as it stands, also where the search would not have taken it.
  RequireRealDate(DateParseToDateTime(body));
  const double japan = ReplyDateToJapanTime(body, 2026);
  if (japan != 0.0) RequireRealDate(japan - 9.0 / 24.0);
  return 0;
}
