#pragma once
#include "core/platform/file_handles.h"

namespace horalux {

// Files and folders opened by handle: the folder held against renaming and
// deletion, a file opened as itself (FILE_FLAG_OPEN_REPARSE_POINT), and
// every write, rename and removal done through the handle.
class WinFileHandles : public FileHandles {
 public:
  std::unique_ptr<OpenedFile> hold_folder(const std::string& path) override;
  std::unique_ptr<OpenedFile> open_file(const std::string& path, bool change) override;
  std::unique_ptr<OpenedFile> create_file(const std::string& path) override;
  std::string long_path(const std::string& path) override;
};

}  // namespace horalux
