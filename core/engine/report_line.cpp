#include "core/engine/report_line.h"

namespace horalux {

std::string FormatSeconds(std::int64_t ticks, const std::string& thousands,
                          const std::string& decimal) {
  bool negative = ticks < 0;
  std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(ticks) : static_cast<std::uint64_t>(ticks);
  std::uint64_t hundredths = magnitude / 100 + (magnitude % 100 >= 50 ? 1 : 0);
  std::string whole = std::to_string(hundredths / 100);
  std::string grouped;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) grouped += thousands;
    grouped += whole[i];
  }
  std::uint64_t cents = hundredths % 100;
  std::string text =
      grouped + decimal + static_cast<char>('0' + cents / 10) + static_cast<char>('0' + cents % 10);
  return negative && hundredths != 0 ? "-" + text : text;
}

std::string ReportLine(std::int64_t diff_ticks, const std::string& attempt_tag,
                       const std::string& thousands, const std::string& decimal) {
  std::int64_t magnitude = diff_ticks < 0 ? -diff_ticks : diff_ticks;
  // Compared as seconds, as the report distinguishes 0.01 s and 0.1 s.
  double s = static_cast<double>(magnitude) / 10000.0;
  std::string line = "以前の時刻は";
  if (s < 0.01) {
    line += "、取得した時刻と合っていました(0.01秒以内)";
  } else if (s < 0.1) {
    line += "、取得した時刻とほぼ合っていました（0.1秒以内 [" +
            FormatSeconds(diff_ticks, thousands, decimal) + "])";
  } else if (diff_ticks > 0) {
    line +=
        "、取得した時刻より " + FormatSeconds(magnitude, thousands, decimal) + " 秒進んでいました";
  } else {
    line +=
        "、取得した時刻より " + FormatSeconds(magnitude, thousands, decimal) + " 秒遅れていました";
  }
  return line + attempt_tag;
}

}  // namespace horalux
