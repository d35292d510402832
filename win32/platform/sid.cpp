#include "win32/platform/sid.h"

#include <sddl.h>

#include "win32/platform/wide.h"

namespace horalux::win32 {

std::string SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (!sid || !ConvertSidToStringSidW(sid, &text)) return "";
  std::string out = Narrow(text);
  LocalFree(text);
  return out;
}

std::string AccountSidText(const std::wstring& account) {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sid_size = sizeof sid;
  wchar_t domain[256];
  DWORD domain_size = 256;
  SID_NAME_USE use;
  if (!LookupAccountNameW(nullptr, account.c_str(), sid, &sid_size, domain, &domain_size, &use))
    return "";
  return SidText(sid);
}

}  // namespace horalux::win32
