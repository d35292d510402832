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

// CREATOR OWNER and CREATOR GROUP stand for whoever makes the child: what
// they pass on names the maker of the new file, and that file's own check
// weighs it.
bool Creator(const std::string& sid) {
  return sid == "S-1-3-0" || sid == "S-1-3-1";
}

// An entry counts when it applies to the item itself or to what is made
// inside: the installed program is always a new file, which takes the
// folder's inheritable entries.
bool Weighed(const AccessEntry& entry) {
  if (!entry.allow) return false;
  if (!entry.inherit_only) return true;
  return entry.passed_on && !Creator(entry.sid);
}

}  // namespace

bool OnlyAdministratorsCanChange(const SecurityInfo& info) {
  if (!info.has_dacl || !Trusted(info.owner_sid)) return false;
  for (const AccessEntry& entry : info.dacl)
    if (Weighed(entry) && (entry.mask & ~kReadAndExecute) != 0 && !Trusted(entry.sid)) return false;
  return true;
}

}  // namespace horalux
