#include "core/settings/field_captions.h"

#include <algorithm>
#include <utility>

namespace horalux {

std::string SpokenLabel(std::string_view label) {
  // The word ends at the first blank (ASCII or ideographic) or colon.
  std::size_t end = label.size();
  for (std::string_view stop : {" ", "　", "：", ":"}) end = std::min(end, label.find(stop));
  return std::string(label.substr(0, end));
}

std::string UnitText(const NumberFacts& number) {
  constexpr int kSecondsPerMinute = 60;
  const std::pair<std::string_view, int> fills[] = {
      {"{min}", number.min},
      {"{max}", number.max},
      {"{max_minutes}", number.max / kSecondsPerMinute},
  };
  std::string text = number.unit;
  for (const auto& [mark, value] : fills)
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at))
      text.replace(at, mark.size(), std::to_string(value));
  return text;
}

}  // namespace horalux
