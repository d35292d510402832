#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "win32/platform/wide.h"

namespace horalux::win32 {

// Owns a BSTR, the string form automation methods take and give.
class Bstr {
 public:
  explicit Bstr(const std::string& utf8) : s_(SysAllocString(Widen(utf8).c_str())) {}
  Bstr() : s_(nullptr) {}
  ~Bstr() { SysFreeString(s_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return s_; }
  // For the calls that hand out a new string.
  BSTR* put() {
    SysFreeString(s_);
    s_ = nullptr;
    return &s_;
  }
  std::string text() const { return s_ ? Narrow(s_) : std::string(); }
  explicit operator bool() const { return s_ != nullptr; }
  // The string as a VARIANT argument; it still belongs to this object.
  VARIANT variant() const {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = s_;
    return v;
  }

 private:
  BSTR s_;
};

}  // namespace horalux::win32
