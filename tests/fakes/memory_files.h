#pragma once
#include <map>
#include <set>
#include <string>

#include "core/platform/files.h"

namespace horalux::fakes {

// An in-memory file system with Windows path rules: names compare without
// regard to case, "\" separates, and a file needs its folder to exist.
class MemoryFiles : public Files {
 public:
  MemoryFiles();
  bool exists(const std::string& path) override;
  bool folder_exists(const std::string& path) override;
  std::optional<std::string> read(const std::string& path) override;
  bool write(const std::string& path, const std::string& bytes) override;
  bool replace(const std::string& from, const std::string& to) override;
  bool rename(const std::string& from, const std::string& to) override;
  bool remove(const std::string& path) override;
  std::optional<std::uint32_t> attributes(const std::string& path) override;
  bool set_attributes(const std::string& path, std::uint32_t attributes) override;
  bool copy_file(const std::string& from, const std::string& to) override;
  bool make_folder(const std::string& path) override;
  DriveType drive_type(const std::string& root) override;
  std::string windows_folder() override { return windows; }
  std::string executable_path() override { return exe; }
  std::optional<std::string> read_own_image() override { return read(exe); }

  // Test set-up: adds a file and every folder above it.
  void put(const std::string& path, const std::string& bytes);
  void add_folder(const std::string& path);
  // Content of a file, or "<missing>".
  std::string content(const std::string& path);
  bool has_file(const std::string& path);

  std::string windows = "C:\\Windows";
  std::string exe = "C:\\Apps\\Horalux\\Horalux.exe";
  std::map<std::string, DriveType> drives;  // upper-case "C:\" -> type
  // Writes and removals fail here, as with a file another program holds
  // open; the read-only attribute is set with set_attributes.
  std::set<std::string> read_only_paths;
  std::set<std::string> unreadable_paths;  // reads fail here
  std::set<std::string> in_use_paths;      // removals fail here
  int fail_writes_after = -1;              // >= 0: that many writes succeed
  int writes = 0;
  // Folders (upper case) whose access list lets nothing be made in them.
  std::set<std::string> closed_folders;

 private:
  static std::string key(const std::string& path);
  static std::string parent_key(const std::string& k);
  std::map<std::string, std::string> files_;         // key -> content
  std::map<std::string, std::uint32_t> attributes_;  // key -> bits other than "normal"
  std::set<std::string> folders_;                    // keys, no trailing "\"
};

}  // namespace horalux::fakes
