#pragma once
#include <cstdint>
#include <string>

namespace horalux {

// A tick difference (1/10000 s) as seconds with exactly two decimals and the
// user's separators ("%n"): 12345000 ticks with "," gives "1,234.50". Halves
// of the last digit round away from zero.
std::string FormatSeconds(std::int64_t ticks, const std::string& thousands,
                          const std::string& decimal);

// The report line of a corrected clock; attempt_tag is "" or "[n]".
std::string ReportLine(std::int64_t diff_ticks, const std::string& attempt_tag,
                       const std::string& thousands, const std::string& decimal);

}  // namespace horalux
