#pragma once
#include <windows.h>

#include <string>

namespace horalux::win32 {

// A SID in its text form ("S-1-5-21-..."); empty for none, or when the
// system cannot write it.
std::string SidText(PSID sid);

// The SID of an account ("DOMAIN\user" or "user") as text; empty when the
// system knows no such account.
std::string AccountSidText(const std::wstring& account);

}  // namespace horalux::win32
