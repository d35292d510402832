#include "core/install/install_acl.h"

#include <cstdint>

namespace horalux {
namespace {

constexpr const char* kTrusted[] = {
    "S-1-5-18",                                                        // SYSTEM
    "S-1-5-32-544",                                                    // Administrators
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
};

// All that anyone else may hold: FILE_GENERIC_READ | FILE_GENERIC_EXECUTE
// (READ_CONTROL, SYNCHRONIZE, FILE_READ_DATA, FILE_READ_EA, FILE_EXECUTE,
// FILE_READ_ATTRIBUTES), GENERIC_READ, GENERIC_EXECUTE. Any other bit,
// known today or not, may change something.
constexpr std::uint32_t kReadAndExecute = 0x001200A9u | 0x80000000u | 0x20000000u;

bool Trusted(const std::string& sid) {
  for (const char* trusted : kTrusted)
    if (sid == trusted) return true;
  return false;
}

}  // namespace

bool OnlyAdministratorsCanChange(const SecurityInfo& info) {
  if (!info.has_dacl || !Trusted(info.owner_sid)) return false;
  for (const AccessEntry& entry : info.dacl)
    if (entry.allow && !entry.inherit_only && (entry.mask & ~kReadAndExecute) != 0 &&
        !Trusted(entry.sid))
      return false;
  return true;
}

}  // namespace horalux
