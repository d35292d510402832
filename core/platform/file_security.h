#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace horalux {

// One entry of an access list, as the file system keeps it.
struct AccessEntry {
  std::string sid;         // SID text
  std::uint32_t mask;      // access bits, Windows values
  bool allow;              // an allow entry; false for deny (and anything else)
  bool inherit_only;       // applies only to what is made inside, not to this item
  bool passed_on = false;  // files or folders made inside take it (object or container inherit)
};

// Who owns a file or folder and who may do what with it.
struct SecurityInfo {
  std::string owner_sid;
  bool has_dacl = true;  // false: no access list at all, which lets everyone in
  std::vector<AccessEntry> dacl;
};

// Access rules of files and folders.
class FileSecurity {
 public:
  virtual ~FileSecurity() = default;
  // The owner and access list of a file or folder; nothing when they cannot
  // be read.
  virtual std::optional<SecurityInfo> read(const std::string& path) = 0;
  // False where the file system keeps no access lists, so that what `read`
  // gives says nothing about who may change a file (Wine shows every file
  // owned by the user with full access, and enforces nothing).
  virtual bool access_lists_apply() = 0;
  // Gives a file or folder of the installation what the security descriptor
  // text `sddl` states: its owner when it names one, and its access list,
  // inheriting nothing from above, when it has one. False on failure.
  virtual bool protect_install_folder(const std::string& path, const std::string& sddl) = 0;
};

}  // namespace horalux
