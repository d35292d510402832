#pragma once
#include <string>
#include <string_view>

namespace horalux {

// The label before a number field as a word, without the spaces and the
// colon that line the rows up ("動作遅延　　　：" gives "動作遅延"): what a
// screen reader names the field. The labels live in the settings table.
std::string SpokenLabel(std::string_view label);

}  // namespace horalux
