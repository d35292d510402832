#include "tests/fakes/memory_files.h"

#include <algorithm>
#include <cctype>

namespace horalux::fakes {

MemoryFiles::MemoryFiles() {
  drives["C:\\"] = DriveType::Fixed;
  add_folder("C:\\Windows");
  add_folder("C:\\Apps\\Horalux");
}

std::string MemoryFiles::key(const std::string& path) {
  std::string k = path;
  std::replace(k.begin(), k.end(), '/', '\\');
  while (k.size() > 3 && k.back() == '\\') k.pop_back();
  for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return k;
}

std::string MemoryFiles::parent_key(const std::string& k) {
  auto slash = k.find_last_of('\\');
  if (slash == std::string::npos) return "";
  if (slash == 2) return k.substr(0, 3);  // "C:\"
  return k.substr(0, slash);
}

bool MemoryFiles::exists(const std::string& path) {
  std::string k = key(path);
  return files_.count(k) || folders_.count(k);
}

bool MemoryFiles::folder_exists(const std::string& path) {
  return folders_.count(key(path)) > 0;
}

std::optional<std::string> MemoryFiles::read(const std::string& path) {
  auto it = files_.find(key(path));
  if (it == files_.end() || unreadable_paths.count(it->first)) return std::nullopt;
  return it->second;
}

bool MemoryFiles::write(const std::string& path, const std::string& bytes) {
  std::string k = key(path);
  if (read_only_paths.count(k) || folders_.count(k)) return false;
  // Windows also refuses to overwrite a hidden file without saying it is hidden.
  if (attributes_[k] & (file_attribute::kReadOnly | file_attribute::kHidden)) return false;
  if (!folders_.count(parent_key(k)) || closed_folders.count(parent_key(k))) return false;
  if (fail_writes_after >= 0 && writes >= fail_writes_after) return false;
  ++writes;
  files_[k] = bytes;
  return true;
}

bool MemoryFiles::replace(const std::string& from, const std::string& to) {
  std::string f = key(from), t = key(to);
  auto it = files_.find(f);
  if (it == files_.end() || read_only_paths.count(t) || !folders_.count(parent_key(t)))
    return false;
  // A rename, like one under Wine as root, does not look at the target's
  // read-only attribute: the attributes travel with the renamed file.
  std::string bytes = it->second;
  std::uint32_t bits = attributes_[f];
  files_.erase(it);
  attributes_.erase(f);
  files_[t] = bytes;
  attributes_[t] = bits;
  return true;
}

bool MemoryFiles::rename(const std::string& from, const std::string& to) {
  if (exists(to)) return false;
  return replace(from, to);
}

bool MemoryFiles::remove(const std::string& path) {
  std::string k = key(path);
  if (read_only_paths.count(k) || in_use_paths.count(k)) return false;
  attributes_.erase(k);
  return files_.erase(k) > 0;
}

std::optional<std::uint32_t> MemoryFiles::attributes(const std::string& path) {
  std::string k = key(path);
  if (folders_.count(k)) return file_attribute::kDirectory;
  if (!files_.count(k)) return std::nullopt;
  return attributes_[k];
}

bool MemoryFiles::set_attributes(const std::string& path, std::uint32_t attributes) {
  std::string k = key(path);
  if (!files_.count(k)) return false;
  attributes_[k] = attributes;
  return true;
}

bool MemoryFiles::copy_file(const std::string& from, const std::string& to) {
  std::optional<std::string> bytes = read(from);
  return bytes && write(to, *bytes);
}

bool MemoryFiles::make_folder(const std::string& path) {
  std::string k = key(path);
  std::string parent = parent_key(k);
  if (exists(k) || read_only_paths.count(k) || closed_folders.count(parent)) return false;
  if (parent.size() > 3 && !folders_.count(parent)) return false;
  if (parent.size() == 3 && !drives.count(parent)) return false;
  folders_.insert(k);
  return true;
}

DriveType MemoryFiles::drive_type(const std::string& root) {
  std::string k = root.substr(0, std::min<std::size_t>(root.size(), 3));
  for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  auto it = drives.find(k);
  return it == drives.end() ? DriveType::NoRootDir : it->second;
}

void MemoryFiles::put(const std::string& path, const std::string& bytes) {
  std::string k = key(path);
  add_folder(parent_key(k));
  files_[k] = bytes;
}

void MemoryFiles::add_folder(const std::string& path) {
  std::string k = key(path);
  while (k.size() > 3) {
    folders_.insert(k);
    k = parent_key(k);
  }
  if (k.size() == 3 && !drives.count(k)) drives[k] = DriveType::Fixed;
}

std::string MemoryFiles::content(const std::string& path) {
  auto bytes = read(path);
  return bytes ? *bytes : "<missing>";
}

bool MemoryFiles::has_file(const std::string& path) {
  return files_.count(key(path)) > 0;
}

}  // namespace horalux::fakes
