#pragma once
#include <string_view>

namespace horalux {

// The time the Date line of a reply's status and header lines states, as
// the wall-clock time of Japan (UTC + 9 h), in days since 1899-12-30.
// The Date is taken in the three forms HTTP allows, each spelled exactly as
// its grammar has it (names case-sensitive, fixed widths, "GMT"):
//   IMF-fixdate  "Sun, 06 Nov 1994 08:49:37 GMT"
//   RFC 850      "Sunday, 06-Nov-94 08:49:37 GMT"
//   asctime      "Sun Nov  6 08:49:37 1994"
// A two-digit year is the one with those digits that lies at most 50 years
// after `this_year`. 0.0 for any other form, a date or time that does not
// exist (a leap second too), a weekday the date does not fall on, a year
// before 1900, no Date line, or an Age line other than 0: the reply may then
// come from a cache, and its Date be as old as the copy. Of two Date lines
// the first counts.
double ReplyDateToJapanTime(std::string_view header_block, int this_year);

}  // namespace horalux
