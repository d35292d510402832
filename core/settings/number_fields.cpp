#include "core/settings/number_fields.h"

namespace horalux {

void ShapeNumberField(TOrNumEdit& field, const NumberFacts& number) {
  field.SetDecimalLength(0);
  field.SetIntegerLength(number.digits);
  field.MinusInput = number.sign == TypedSign::kAccepted;
  field.Comma = number.comma;
}

}  // namespace horalux
