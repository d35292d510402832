#pragma once
#include <windows.h>
#include <oleacc.h>

namespace horalux::win32 {

// The accessibility library's entry points. It is not one of the DLLs that
// Windows only ever takes from System32, so it is loaded from there by name
// instead of being imported.
struct Oleacc {
  decltype(&::LresultFromObject) LresultFromObject = nullptr;
  decltype(&::CreateStdAccessibleObject) CreateStdAccessibleObject = nullptr;
  decltype(&::AccessibleObjectFromWindow) AccessibleObjectFromWindow = nullptr;
};

// Loaded on first use and kept for the process; nullptr when the system has
// no such library (the fields then simply have no accessible object).
const Oleacc* LoadOleacc();

}  // namespace horalux::win32
