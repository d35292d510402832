#pragma once
#include "core/controls/num_edit.h"
#include "core/settings/settings_keys.h"

namespace horalux {

// Gives a number field the input its row calls for: whole numbers of the
// row's digits, with or without a typed sign and thousands separators.
void ShapeNumberField(TOrNumEdit& field, const NumberFacts& number);

}  // namespace horalux
