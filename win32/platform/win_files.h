#pragma once
#include <utility>

#include "core/platform/files.h"
#include "win32/platform/handle.h"

namespace horalux {

// Opens the running executable, to be held for the whole run; the program
// does so first thing, before a path could be changed under it.
win32::UniqueHandle OpenOwnImage();

// The file system through the W functions.
class WinFiles : public Files {
 public:
  WinFiles() : WinFiles(OpenOwnImage()) {}
  // `image`: the running executable, opened by OpenOwnImage.
  explicit WinFiles(win32::UniqueHandle image) : image_(std::move(image)) {}
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
  std::string windows_folder() override;
  std::string executable_path() override;
  std::optional<std::string> read_own_image() override;

 private:
  win32::UniqueHandle image_;
};

}  // namespace horalux
