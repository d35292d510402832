#include "core/install/install_acl.h"

#include <cstdint>

namespace horalux {
namespace {

constexpr const char* kTrusted[] = {
    "S-1-5-18",                                                        // SYSTEM
    "S-1-5-32-544",                                                    // Administrators
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
};

// FILE_WRITE_DATA (FILE_ADD_FILE), FILE_APPEND_DATA (FILE_ADD_SUBDIRECTORY),
// FILE_DELETE_CHILD, DELETE, WRITE_DAC, WRITE_OWNER, GENERIC_WRITE, GENERIC_ALL.
constexpr std::uint32_t kChangeRights =
    0x2u | 0x4u | 0x40u | 0x10000u | 0x40000u | 0x80000u | 0x40000000u | 0x10000000u;

bool Trusted(const std::string& sid, const std::string& user_sid) {
  if (!user_sid.empty() && sid == user_sid) return true;
  for (const char* trusted : kTrusted)
    if (sid == trusted) return true;
  return false;
}

}  // namespace

bool OnlyAdministratorsCanChange(const SecurityInfo& info, const std::string& user_sid) {
  if (!info.has_dacl || !Trusted(info.owner_sid, user_sid)) return false;
  for (const AccessEntry& entry : info.dacl)
    if (entry.allow && !entry.inherit_only && (entry.mask & kChangeRights) != 0 &&
        !Trusted(entry.sid, user_sid))
      return false;
  return true;
}

}  // namespace horalux
