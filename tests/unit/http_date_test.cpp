#include <gtest/gtest.h>

#include <string>

#include "core/base/date_time.h"
#include "core/net/http_date.h"

namespace horalux {
namespace {

TEST(HttpDate, ReplyGivesItsDateInJapanTime) {
  const double nov6 = EncodeDateTime(1994, 11, 6, 17, 49, 37, 0);  // 08:49:37 GMT
  struct Case {
    std::string lines;
    double japan;  // 0: no time
  } cases[] = {
      {"Date: Sun, 06 Nov 1994 08:49:37 GMT", nov6},
      {"date:Sunday, 06-Nov-94 08:49:37 GMT ", nov6},
      {"Date: Sun Nov  6 08:49:37 1994", nov6},
      {"Date: Mon, 06 Nov 1994 08:49:37 GMT", 0},
      {"Date: Thu, 29 Feb 2024 00:00:00 GMT", EncodeDateTime(2024, 2, 29, 9, 0, 0, 0)},
      {"Date: Sun, 29 Feb 2026 00:00:00 GMT", 0},
      {"Date: Sun, 06 Nov 1994 24:00:00 GMT", 0},
      {"Date: Friday, 06-Nov-76 08:49:37 GMT", EncodeDateTime(2076, 11, 6, 17, 49, 37, 0)},
      {"Date: Sunday, 06-Nov-77 08:49:37 GMT", EncodeDateTime(1977, 11, 6, 17, 49, 37, 0)},
      {"Date: Sun, 06 Nov 1994 08:49:37 UTC", 0},
      {"Server: x", 0},
      {"Age: 40\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT", 0},
      {"Age: 0\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT", nov6},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReplyDateToJapanTime("HTTP/1.0 200 OK\r\n" + c.lines + "\r\n\r\n", 2026), c.japan)
        << c.lines;
}

}  // namespace
}  // namespace horalux
