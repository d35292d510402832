#pragma once
#include <string_view>

namespace horalux {

// Blanks and control characters (bytes up to 0x20: tab, CR, LF...) removed
// from both ends; a view into `text`.
constexpr std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

}  // namespace horalux
