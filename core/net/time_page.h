#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "core/net/http_client.h"

namespace horalux {

// The first source's page, on the institute's own server. Its server
// answers with the time in its Date header even where the page is gone.
inline constexpr char kJapanPageUrl[] = "http://jjy.nict.go.jp/cgi-bin/JST.cgi";

// The page the second or third source fetches: the address the settings
// give it, or the first source's page when they give none.
std::string TimePageUrl(const std::string& set_address);

// The line the client's request list holds before each fetch.
inline constexpr char kIdentificationLine[] = "-Horalux- http://www.horalux.example/";

// The file the reply's header block is copied to, in the settings folder.
inline constexpr char kHeaderCopyFileName[] = "Head.txt";

// One GET of `page_url` and the wall-clock time its Date.parse line states,
// in days since 1899-12-30. A page without such a line gives the time of the
// reply's Date header in Japan time instead (`this_year` places a two-digit
// year); neither from a reply IsServersTimeReply refuses. Exactly 0.0 on any
// failure. Never raises. The reply's header block
// goes to the file `header_copy` (best effort), to none when it is empty.
// `from_date_header`, when given, tells whether the time is the Date header's.
double GetHttpTime(THttpClient& client, const std::string& page_url, int this_year,
                   const std::string& header_copy, bool* from_date_header = nullptr);

// The statuses of a last reply that may state a time: 200-299, 404, 410,
// and 300-308 when the reply ends the chain.
bool IsServersTimeReply(int status);

// The first line of `body` (raw page bytes, code page 932) that holds
// "Date.parse", ":" and a double quote, or nothing; the text ends at a NUL.
bool FindDateParseLine(const std::string& body, std::string& line);

// The date in `line` between `Date.parse("` and `")`, read as
// "weekday month day time year"; 0.0 on any failure. Never raises.
double DateParseToDateTime(const std::string& line);

// "jan".."dec" in any case to "1".."12"; anything else "0".
std::string MonthNameToNumber(const std::string& name);

// Items of a comma-and-blank separated text: quoted items, doubled quotes,
// empty items between two commas, double-byte characters as units.
std::vector<std::string> SplitItems(std::string_view text);

// "year/month/day time" (hours[:minutes[:seconds[.milliseconds]]], an
// AM/PM marker before or after) to days since 1899-12-30; false when the
// text is not a real date and time.
bool DateTimeTextToValue(std::string_view text, double& value);

}  // namespace horalux
