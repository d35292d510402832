#pragma once
#include <map>
#include <memory>
#include <string>

#include "core/platform/file_handles.h"
#include "core/platform/files.h"

namespace horalux {

// The file system as a run with an elevated token must use it. Every folder
// it works in may have been swapped by an unelevated program of the same
// user for a link to anywhere, and so may every file there. Each folder is
// therefore held open for the rest of the run, so it cannot be swapped
// afterwards, once its final path is the one its name gives; each file is
// opened as itself and used only when it is no link, has one name only and
// its final path is the held folder's with the file's name; and the work is
// done through that handle. A file that fails counts as absent and cannot
// be read, written, renamed, replaced or removed, so the callers' usual
// handling of a file they cannot write applies, and nothing is lost. A
// folder that fails still shows as a folder, so it stays the one chosen and
// nothing else takes its place.
class CheckedFiles : public Files {
 public:
  // Unless `checked`, every call goes to `inner` as it is.
  CheckedFiles(Files& inner, FileHandles& handles, bool checked);

  bool exists(const std::string& path) override;
  bool folder_exists(const std::string& path) override { return inner_.folder_exists(path); }
  std::optional<std::string> read(const std::string& path) override;
  bool write(const std::string& path, const std::string& bytes) override;
  bool replace(const std::string& from, const std::string& to) override;
  bool rename(const std::string& from, const std::string& to) override;
  bool remove(const std::string& path) override;
  std::optional<std::uint32_t> attributes(const std::string& path) override;
  bool set_attributes(const std::string& path, std::uint32_t attributes) override;
  bool copy_file(const std::string& from, const std::string& to) override;
  bool make_folder(const std::string& path) override;
  DriveType drive_type(const std::string& root) override { return inner_.drive_type(root); }
  std::string windows_folder() override { return inner_.windows_folder(); }
  std::string executable_path() override { return inner_.executable_path(); }
  std::optional<std::string> read_own_image() override { return inner_.read_own_image(); }
  bool folder_refused(const std::string& folder) override;
  bool user_may_create_in(const std::string& folder) override;

  // Opens an existing file for reading, held until the result goes, when it
  // passes the checks, whether or not this run checks the rest; nothing when
  // it is missing or fails them.
  std::unique_ptr<OpenedFile> OpenChecked(const std::string& path);

 private:
  struct Opened {
    std::unique_ptr<OpenedFile> file;  // none when missing, unopenable or refused
    bool refused = false;              // its folder or the file itself failed the checks
  };
  // The final path, in the form paths are compared in, of the held folder
  // of that name; empty when it is missing or refused.
  std::string HeldFolder(const std::string& folder, bool& refused);
  Opened Open(const std::string& path, bool change);
  bool MoveTo(const std::string& from, const std::string& to, bool replace);

  Files& inner_;
  FileHandles& handles_;
  bool checked_;
  // Folder key -> its handle and compared final path (empty when refused).
  struct Held {
    std::unique_ptr<OpenedFile> handle;
    std::string final_path;
  };
  std::map<std::string, Held> held_;
};

// A final path or a path in one form for comparing: without the "\\?\"
// prefix ("\\?\UNC\" back to "\\"), without a trailing "\", in upper case.
std::string ComparablePath(const std::string& path);

}  // namespace horalux
