#pragma once
#include <cstddef>
#include <string_view>

namespace horalux {

// Whether a byte of code-page-932 text starts a double-byte character.
constexpr bool IsSjisLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Bytes taken by the character that starts at `pos` of code-page-932 text: 2
// for a lead byte with its trail byte present, else 1.
inline std::size_t SjisCharLength(std::string_view text, std::size_t pos) {
  return IsSjisLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

}  // namespace horalux
