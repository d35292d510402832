#include "win32/install/win_file_security.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "win32/platform/handle.h"
#include "win32/platform/sid.h"
#include "win32/platform/wide.h"

namespace horalux {

using win32::LocalMemory;
using win32::SidText;

std::optional<SecurityInfo> WinFileSecurity::read(const std::string& path) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  LocalMemory descriptor;
  const std::wstring wide = win32::Widen(path);
  if (GetNamedSecurityInfoW(wide.c_str(), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                            &dacl, nullptr, &descriptor.p) != ERROR_SUCCESS)
    return std::nullopt;
  SecurityInfo info;
  info.owner_sid = SidText(owner);
  info.has_dacl = dacl != nullptr;
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) return std::nullopt;
    // Allow entries with a condition count as plain ones: the safe side.
    const bool allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE ||
                       header->AceType == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
    const bool deny = header->AceType == ACCESS_DENIED_ACE_TYPE ||
                      header->AceType == ACCESS_DENIED_CALLBACK_ACE_TYPE;
    if (!allow && !deny) {
      // An entry of a kind this reading does not know could grant anything.
      info.dacl.push_back({"", 0xFFFFFFFFu, true, false, true});
      continue;
    }
    // Allowed, denied and their callback kinds share this layout.
    const auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    info.dacl.push_back({SidText(const_cast<DWORD*>(&ace->SidStart)), ace->Mask, allow,
                         (header->AceFlags & INHERIT_ONLY_ACE) != 0,
                         (header->AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) != 0});
  }
  return info;
}

// Wine keeps no access lists: every file reads as the user's own with full
// access, and nothing is enforced. There the check of the install folders
// is not made at all: the verdict is "not applicable" and the task is
// registered. On Windows this cannot turn on: the system maps ntdll from
// System32 before any of this program runs, that ntdll exports no
// wine_get_version, and no program can add an export to it.
bool WinFileSecurity::access_lists_apply() {
  static const bool on_wine = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return !on_wine;
}

// The owner is set only where the text names one (O:), the access list
// only where it has one (D:); SetNamedSecurityInfoW takes the owner from a
// member of the elevated token (Administrators) without any privilege.
bool WinFileSecurity::protect_install_folder(const std::string& path, const std::string& sddl) {
  LocalMemory descriptor;
  const std::wstring text = win32::Widen(sddl);
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                            &descriptor.p, nullptr))
    return false;
  SECURITY_INFORMATION what = 0;
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor.p, &owner, &defaulted)) return false;
  if (owner) what |= OWNER_SECURITY_INFORMATION;
  BOOL present = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor.p, &present, &dacl, &defaulted)) return false;
  // A list that is present but NULL lets everyone in: fail rather than
  // write it.
  if (present && !dacl) return false;
  if (present) what |= DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
  if (what == 0) return false;
  std::wstring wide = win32::Widen(path);
  return SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, what, owner, nullptr,
                               present ? dacl : nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace horalux
