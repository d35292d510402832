#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace horalux {

namespace file_attribute {
// Set on a symbolic link or junction opened as itself.
inline constexpr std::uint32_t kReparsePoint = 0x400;
}  // namespace file_attribute

// The bit of a reparse tag that marks its point as standing for another name
// (a junction, a symbolic link): opened as itself it has its own final path,
// yet a path through it reaches elsewhere. The cloud-file tags of a folder
// kept online lack it.
inline constexpr std::uint32_t kNameSurrogateTag = 0x20000000;

// What the system says of an opened file or folder.
struct FileFacts {
  // The path it resolves the handle to, in its own form ("\\?\C:\...",
  // "\\?\UNC\server\..."); empty when it cannot say.
  std::string final_path;
  // How many names the file has (hard links); 0 when it cannot say.
  std::uint32_t links = 0;
  // The file_attribute bits; 0 when it cannot say.
  std::uint32_t attributes = 0;
  // The reparse tag of a reparse point; 0 for none or when it cannot say.
  std::uint32_t reparse_tag = 0;
};

// One opened file or folder, and the work done through the handle itself,
// so that nothing can be swapped in between a check and the write.
class OpenedFile {
 public:
  virtual ~OpenedFile() = default;
  virtual FileFacts facts() = 0;
  // Whole content, or nothing when it cannot be read.
  virtual std::optional<std::string> read_all() = 0;
  // Replaces the whole content and flushes it; false on any failure.
  virtual bool write_all(const std::string& bytes) = 0;
  virtual bool set_attributes(std::uint32_t attributes) = 0;
  // Gives the file the full path `to` (same volume), replacing a file there
  // only when `replace`; false on failure.
  virtual bool rename_to(const std::string& to, bool replace) = 0;
  // The file goes when the handle is closed; false when it may not.
  virtual bool remove() = 0;
  // For a held folder: creates the folder `name` in it, by this handle where
  // the system allows, and holds the new one as hold_folder does; nothing
  // when something of that name exists or it cannot be made.
  virtual std::unique_ptr<OpenedFile> make_folder(const std::string& name) = 0;
  // For a held folder: whether the user's unelevated programs may add a file
  // (`sub_folder`: a folder) to it, by the rights read through this handle,
  // for the token an elevated one is linked to, or this process's own where
  // there is none; false when it cannot tell.
  virtual bool unelevated_may_add(bool sub_folder) = 0;
};

// Opens files and folders by path for work through their handles.
class FileHandles {
 public:
  virtual ~FileHandles() = default;
  // Opens a folder, a link as the link and not its target, and keeps it from
  // being moved, renamed or deleted for as long as the result lives, while
  // files in it can still be made and renamed; nothing when it cannot.
  virtual std::unique_ptr<OpenedFile> hold_folder(const std::string& path) = 0;
  // Opens an existing file itself, a link as the link and not its target,
  // for reading, or for changing too (writing, renaming, removing);
  // nothing when it is missing or cannot be opened.
  virtual std::unique_ptr<OpenedFile> open_file(const std::string& path, bool change) = 0;
  // Creates a file that must not exist yet (a link of that name, even to
  // nothing, counts as existing) and opens it for changing.
  virtual std::unique_ptr<OpenedFile> create_file(const std::string& path) = 0;
  // `path` with every short (8.3) name spelt out; as given when it cannot.
  virtual std::string long_path(const std::string& path) = 0;
};

}  // namespace horalux
