#pragma once
#include <windows.h>

namespace horalux::win32 {

// A library that is not one of the system's known DLLs: loaded from the
// system folder only, never from beside the program, and freed with this
// object unless kept.
class System32Library {
 public:
  explicit System32Library(const wchar_t* name)
      : module_(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {}
  ~System32Library() {
    if (module_) FreeLibrary(module_);
  }
  System32Library(const System32Library&) = delete;
  System32Library& operator=(const System32Library&) = delete;

  explicit operator bool() const { return module_ != nullptr; }

  // The export `name` as a function of type Fn; false, and fn null, when the
  // library (or the library itself) is missing.
  template <typename Fn>
  bool Resolve(const char* name, Fn& fn) const {
    fn = module_ ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)))
                 : nullptr;
    return fn != nullptr;
  }

  // Leaves the library loaded for the rest of the process, for functions
  // resolved from it that outlive this object.
  void Keep() { module_ = nullptr; }

 private:
  HMODULE module_;
};

// The export `name` of `module`, a library every process of this program has
// loaded before its code runs (ntdll; user32 for a GUI program): looked up,
// not loaded. Null where the system lacks it.
template <typename Fn>
Fn LoadedExport(const wchar_t* module, const char* name) {
  const HMODULE loaded = GetModuleHandleW(module);
  return loaded ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(loaded, name)))
                : nullptr;
}

}  // namespace horalux::win32
