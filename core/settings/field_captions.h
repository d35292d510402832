#pragma once
#include <string>
#include <string_view>

namespace horalux {

// The texts around a number field of the settings screen: its row's label
// before it and the unit with the range after it, as the screen shows them.
struct FieldCaption {
  const char* field;
  const char* label;
  const char* unit;
};

// The captions of a field by its name; nullptr for a field without a row of its own.
const FieldCaption* FieldCaptionOf(std::string_view field);
// The label as a word, without the spaces and the colon that line the rows
// up ("動作遅延　　　：" gives "動作遅延"): what a screen reader names the field.
std::string SpokenLabel(std::string_view label);

}  // namespace horalux
