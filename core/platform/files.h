#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace horalux {

enum class DriveType { Unknown, NoRootDir, Removable, Fixed, Remote, CdRom, RamDisk };

// File attribute bits, with the values Windows gives them.
namespace file_attribute {
inline constexpr std::uint32_t kReadOnly = 0x1;
inline constexpr std::uint32_t kHidden = 0x2;
inline constexpr std::uint32_t kDirectory = 0x10;
}  // namespace file_attribute

// The file system. Paths are UTF-8 Windows paths; contents are raw bytes.
class Files {
 public:
  virtual ~Files() = default;
  // True for an existing file or folder.
  virtual bool exists(const std::string& path) = 0;
  virtual bool folder_exists(const std::string& path) = 0;
  // Whole content, or nothing when the file cannot be read.
  virtual std::optional<std::string> read(const std::string& path) = 0;
  // Creates or truncates, then writes everything; false on any failure.
  virtual bool write(const std::string& path, const std::string& bytes) = 0;
  // Renames, replacing an existing target in one step; false on failure.
  virtual bool replace(const std::string& from, const std::string& to) = 0;
  // Renames without replacing; false when the target exists or on failure.
  virtual bool rename(const std::string& from, const std::string& to) = 0;
  virtual bool remove(const std::string& path) = 0;
  // The attribute bits of a file or folder; nothing when it does not exist.
  virtual std::optional<std::uint32_t> attributes(const std::string& path) = 0;
  virtual bool set_attributes(const std::string& path, std::uint32_t attributes) = 0;
  // Copies a file, replacing an existing target; false on failure.
  virtual bool copy_file(const std::string& from, const std::string& to) = 0;
  // Creates one folder (its parent must exist).
  virtual bool make_folder(const std::string& path) = 0;
  // Drive type of a root such as "C:\".
  virtual DriveType drive_type(const std::string& root) = 0;
  // The Windows directory, without trailing "\".
  virtual std::string windows_folder() = 0;
  // Full path of the running executable.
  virtual std::string executable_path() = 0;
  // True when this run may not work in the folder at all, whatever it holds
  // (a run that checks its folders found this one is not what its name
  // says); false for a folder that is merely missing.
  virtual bool folder_refused(const std::string&) { return false; }
  // True when the user's unelevated programs may create files in the folder,
  // or in the nearest existing folder above it when it is missing. Only a run
  // that checks its folders can be told otherwise: any other run works with
  // the user's own rights.
  virtual bool user_may_create_in(const std::string&) { return true; }
  // The running executable's bytes, read through the handle opened when the
  // program started, which shares neither writing nor deleting: what a
  // program elsewhere put at its path since then is not what is read.
  // Nothing on failure.
  virtual std::optional<std::string> read_own_image() = 0;
};

}  // namespace horalux
