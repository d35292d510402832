#pragma once
#include <string>

namespace horalux::win32 {

// UTF-8 (the core's text) <-> UTF-16 (the W functions).
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
std::string Narrow(const wchar_t* utf16, int length);
// The system's text for an error number (FormatMessageW), without the line end.
std::string SystemErrorText(unsigned long error);

}  // namespace horalux::win32
