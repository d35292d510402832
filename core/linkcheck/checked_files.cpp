#include "core/linkcheck/checked_files.h"

#include "core/base/ascii_case.h"
#include "core/base/path_text.h"

namespace horalux {
namespace {

// A folder's path as the system opens it: "C:\" stays a root, as "C:" would
// name the current folder of that drive.
std::string FolderPath(const std::string& folder) {
  return folder.size() == 3 && folder[1] == ':' ? folder : WithoutTrailingBackslash(folder);
}

// The final path of a held folder in the form paths are compared in, when
// it is the folder `expected` names and no link to elsewhere; empty when not.
std::string CheckedFolderPath(OpenedFile& folder, const std::string& expected) {
  const FileFacts facts = folder.facts();
  // Opened as itself, a junction has its own final path: its tag tells.
  if ((facts.attributes & file_attribute::kReparsePoint) != 0 &&
      (facts.reparse_tag & kNameSurrogateTag) != 0)
    return "";
  const std::string final_path = ComparablePath(facts.final_path);
  return !final_path.empty() && final_path == ComparablePath(expected) ? final_path : "";
}

// No link, one name only, and where its folder's name says it is.
bool IsItself(OpenedFile& file, const std::string& expected) {
  const FileFacts facts = file.facts();
  return (facts.attributes & file_attribute::kReparsePoint) == 0 && facts.links == 1 &&
         ComparablePath(facts.final_path) == expected;
}

}  // namespace

std::string ComparablePath(const std::string& path) {
  std::string p = path;
  if (p.rfind("\\\\?\\UNC\\", 0) == 0)
    p = "\\\\" + p.substr(8);
  else if (p.rfind("\\\\?\\", 0) == 0)
    p = p.substr(4);
  while (!p.empty() && p.back() == '\\') p.pop_back();
  return AsciiUppered(p);
}

CheckedFiles::CheckedFiles(Files& inner, FileHandles& handles, bool checked)
    : inner_(inner), handles_(handles), checked_(checked) {}

std::string CheckedFiles::HeldFolder(const std::string& folder, bool& refused) {
  const std::string path = FolderPath(folder);
  const std::string key = ComparablePath(path);
  auto it = held_.find(key);
  if (it == held_.end()) {
    std::unique_ptr<OpenedFile> handle = handles_.hold_folder(path);
    if (!handle) return "";  // not there yet: looked at again next time
    std::string final_path = CheckedFolderPath(*handle, handles_.long_path(path));
    it = held_.emplace(key, Held{std::move(handle), final_path}).first;
  }
  refused = it->second.final_path.empty();
  return it->second.final_path;
}

CheckedFiles::Opened CheckedFiles::Open(const std::string& path, bool change) {
  Opened opened;
  const std::string folder = HeldFolder(FolderPartOf(path), opened.refused);
  if (folder.empty()) return opened;
  opened.file = handles_.open_file(path, change);
  if (opened.file && !IsItself(*opened.file, folder + "\\" + AsciiUppered(FileNameOf(path)))) {
    opened.file.reset();
    opened.refused = true;
  }
  return opened;
}

bool CheckedFiles::exists(const std::string& path) {
  if (!checked_ || inner_.folder_exists(path)) return inner_.exists(path);
  Opened opened = Open(path, false);
  return !opened.refused && (opened.file || inner_.exists(path));
}

std::optional<std::string> CheckedFiles::read(const std::string& path) {
  if (!checked_) return inner_.read(path);
  Opened opened = Open(path, false);
  if (!opened.file) return std::nullopt;
  return opened.file->read_all();
}

bool CheckedFiles::write(const std::string& path, const std::string& bytes) {
  if (!checked_) return inner_.write(path, bytes);
  Opened opened = Open(path, true);
  if (opened.refused) return false;
  if (!opened.file) {
    // Created only where nothing of that name is, and checked once made, so
    // a link put in its place meanwhile is not written through.
    if (inner_.exists(path)) return false;
    opened.file = handles_.create_file(path);
    if (!opened.file) return false;
    bool refused = false;
    const std::string folder = HeldFolder(FolderPartOf(path), refused);
    if (refused || !IsItself(*opened.file, folder + "\\" + AsciiUppered(FileNameOf(path)))) {
      opened.file->remove();
      return false;
    }
  }
  return opened.file->write_all(bytes);
}

bool CheckedFiles::MoveTo(const std::string& from, const std::string& to, bool replace) {
  Opened source = Open(from, true);
  if (!source.file) return false;
  {
    // Closed again before the rename, which it would otherwise block.
    Opened target = Open(to, false);
    if (target.refused) return false;
    if (!replace && (target.file || inner_.exists(to))) return false;
  }
  return source.file->rename_to(to, replace);
}

bool CheckedFiles::replace(const std::string& from, const std::string& to) {
  return checked_ ? MoveTo(from, to, true) : inner_.replace(from, to);
}

bool CheckedFiles::rename(const std::string& from, const std::string& to) {
  return checked_ ? MoveTo(from, to, false) : inner_.rename(from, to);
}

bool CheckedFiles::remove(const std::string& path) {
  if (!checked_) return inner_.remove(path);
  // A stream ("file:name") is reached through its file, which must pass.
  if (const std::size_t colon = path.find(':', 2); colon != std::string::npos) {
    if (!Open(path.substr(0, colon), false).file) return false;
    std::unique_ptr<OpenedFile> stream = handles_.open_file(path, true);
    return stream && stream->remove();
  }
  Opened opened = Open(path, true);
  return opened.file && opened.file->remove();
}

bool CheckedFiles::folder_refused(const std::string& folder) {
  bool refused = false;
  if (checked_) HeldFolder(folder, refused);
  return refused;
}

bool CheckedFiles::user_may_create_in(const std::string& folder) {
  if (!checked_) return true;
  // What may be made in a missing folder is what may be made in the nearest
  // one above it that exists: the folder itself, with what follows from it.
  std::string at = FolderPath(folder);
  bool missing = false;
  while (!inner_.folder_exists(at)) {
    if (at.size() <= 3) return false;
    at = FolderPath(FolderPartOf(at));
    missing = true;
  }
  // A folder that fails the link checks stays the one chosen: those checks
  // keep every write from going through it, and say so where it fails.
  bool refused = false;
  if (HeldFolder(at, refused).empty()) return refused;
  return held_.at(ComparablePath(FolderPath(at))).handle->unelevated_may_add(missing);
}

std::unique_ptr<OpenedFile> CheckedFiles::OpenChecked(const std::string& path) {
  return Open(path, false).file;
}

std::optional<std::uint32_t> CheckedFiles::attributes(const std::string& path) {
  if (!checked_ || inner_.folder_exists(path)) return inner_.attributes(path);
  Opened opened = Open(path, false);
  if (opened.refused) return std::nullopt;
  if (opened.file) return opened.file->facts().attributes;
  return inner_.attributes(path);
}

bool CheckedFiles::set_attributes(const std::string& path, std::uint32_t attributes) {
  if (!checked_) return inner_.set_attributes(path, attributes);
  Opened opened = Open(path, true);
  return opened.file && opened.file->set_attributes(attributes);
}

bool CheckedFiles::copy_file(const std::string& from, const std::string& to) {
  if (!checked_) return inner_.copy_file(from, to);
  std::optional<std::string> bytes = read(from);
  return bytes && write(to, *bytes);
}

bool CheckedFiles::make_folder(const std::string& path) {
  if (!checked_) return inner_.make_folder(path);
  const std::string folder = WithoutTrailingBackslash(path);
  bool refused = false;
  const std::string parent = HeldFolder(FolderPartOf(folder), refused);
  if (parent.empty()) return false;
  // Made inside the held parent, then held and checked like any folder
  // before anything is written in it.
  std::unique_ptr<OpenedFile> made = held_.at(ComparablePath(FolderPath(FolderPartOf(folder))))
                                         .handle->make_folder(FileNameOf(folder));
  if (!made) return false;
  std::string final_path = CheckedFolderPath(*made, parent + "\\" + FileNameOf(folder));
  const bool checks = !final_path.empty();
  held_.insert_or_assign(ComparablePath(folder), Held{std::move(made), std::move(final_path)});
  return checks;
}

}  // namespace horalux
