#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace horalux::win32 {

// What a screen reader learns of a self-drawn field.
struct AccessibleField {
  std::wstring name;         // the row's caption
  std::wstring description;  // the unit and range after the field
  std::wstring value;        // its text
  bool focused = false;
  bool read_only = false;
  bool unavailable = false;
};

// Reads the field's state now; false once the field's window is gone.
using AccessibleFieldReader = std::function<bool(AccessibleField&)>;

// The answer to WM_GETOBJECT for the field `hwnd`: for its client area an
// object with the role of editable text that reads the field through
// `reader` and leaves everything else (place, parent, navigation) to the
// system's standard object. 0 for any other object, or when the system
// gives no standard object; the window procedure then answers as usual.
LRESULT AnswerFieldObject(HWND hwnd, WPARAM wp, LPARAM lp, AccessibleFieldReader reader);

}  // namespace horalux::win32
