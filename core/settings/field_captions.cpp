#include "core/settings/field_captions.h"

#include <algorithm>

namespace horalux {

std::string SpokenLabel(std::string_view label) {
  // The word ends at the first blank (ASCII or ideographic) or colon.
  std::size_t end = label.size();
  for (std::string_view stop : {" ", "　", "：", ":"}) end = std::min(end, label.find(stop));
  return std::string(label.substr(0, end));
}

}  // namespace horalux
