#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horalux {

// The standard alphabet with padding, as HTTP authentication writes it.
std::string Base64Encode(std::string_view bytes);
std::string Base64Encode(const std::vector<std::uint8_t>& bytes);
// Nothing when `text` is not whole base64.
std::optional<std::vector<std::uint8_t>> Base64Decode(std::string_view text);

}  // namespace horalux
