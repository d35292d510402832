#pragma once
#include <string>
#include <string_view>

#include "core/settings/settings_keys.h"

namespace horalux {

// The label before a number field as a word, without the spaces and the
// colon that line the rows up ("動作遅延　　　：" gives "動作遅延"): what a
// screen reader names the field. The labels live in the settings table.
std::string SpokenLabel(std::string_view label);

// The unit with the range after a number field, its bounds filled in from
// the row ("行まで記録[ {min} ～ {max}行 ]" gives "行まで記録[ 0 ～ 500行 ]").
std::string UnitText(const NumberFacts& number);

}  // namespace horalux
