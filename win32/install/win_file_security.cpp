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
      info.dacl.push_back({"", 0xFFFFFFFFu, true, false});
      continue;
    }
    // Allowed, denied and their callback kinds share this layout.
    const auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    info.dacl.push_back({SidText(const_cast<DWORD*>(&ace->SidStart)), ace->Mask, allow,
                         (header->AceFlags & INHERIT_ONLY_ACE) != 0});
  }
  return info;
}

bool WinFileSecurity::protect_install_folder(const std::string& path) {
  LocalMemory descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", SDDL_REVISION_1,
          &descriptor.p, nullptr))
    return false;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor.p, &present, &dacl, &defaulted) || !present)
    return false;
  std::wstring wide = win32::Widen(path);
  return SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT,
                               DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                               nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

}  // namespace horalux
