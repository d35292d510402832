#include "win32/platform/oleacc.h"

#include "win32/platform/system32_library.h"

namespace horalux::win32 {

const Oleacc* LoadOleacc() {
  static const Oleacc* const loaded = []() -> const Oleacc* {
    System32Library library(L"oleacc.dll");
    static Oleacc oleacc;
    if (!library.Resolve("LresultFromObject", oleacc.LresultFromObject) ||
        !library.Resolve("CreateStdAccessibleObject", oleacc.CreateStdAccessibleObject) ||
        !library.Resolve("AccessibleObjectFromWindow", oleacc.AccessibleObjectFromWindow))
      return nullptr;
    library.Keep();  // the library stays loaded for the process
    return &oleacc;
  }();
  return loaded;
}

}  // namespace horalux::win32
