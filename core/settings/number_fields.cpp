#include "core/settings/number_fields.h"

namespace horalux {

bool ShapeNumberField(TOrNumEdit& field) {
  for (const NumberFieldShape& shape : kNumberFields) {
    if (shape.name != field.Name()) continue;
    field.SetDecimalLength(0);
    field.SetIntegerLength(shape.integer_length);
    field.MinusInput = shape.sign_typing;
    field.Comma = shape.comma;
    return true;
  }
  return false;
}

}  // namespace horalux
