#include "win32/platform/oleacc.h"

namespace horalux::win32 {
namespace {

template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn& fn) {
  fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  return fn != nullptr;
}

}  // namespace

const Oleacc* LoadOleacc() {
  static const Oleacc* const loaded = []() -> const Oleacc* {
    HMODULE module = LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return nullptr;
    static Oleacc oleacc;
    if (!Resolve(module, "LresultFromObject", oleacc.LresultFromObject) ||
        !Resolve(module, "CreateStdAccessibleObject", oleacc.CreateStdAccessibleObject) ||
        !Resolve(module, "AccessibleObjectFromWindow", oleacc.AccessibleObjectFromWindow)) {
      FreeLibrary(module);
      return nullptr;
    }
    return &oleacc;  // the library stays loaded for the process
  }();
  return loaded;
}

}  // namespace horalux::win32
