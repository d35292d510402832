#pragma once
#include <string_view>

#include "core/controls/num_edit.h"

namespace horalux {

// How each number field of the main window takes input. They all hold whole
// numbers. Fields whose stored value may be negative through the ini file
// but not from the keyboard refuse a typed or pasted sign and keep one the
// program sets.
struct NumberFieldShape {
  std::string_view name;
  int integer_length;
  bool sign_typing;
  bool comma;
};

inline constexpr NumberFieldShape kNumberFields[] = {
    {"edtChien", 9, false, true},       {"edtGosa", 9, false, true},
    {"edtGyou", 9, false, true},        {"edtJisa", 9, true, false},
    {"edtChouseiHTTP", 9, true, false}, {"edtChouseiSNTP", 9, true, false},
    {"edtPort", 5, false, false},
};

// Gives the field the shape its name calls for; false for an unknown name.
bool ShapeNumberField(TOrNumEdit& field);

}  // namespace horalux
