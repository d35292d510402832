#include "core/base/path_text.h"

namespace horalux {
namespace {
constexpr const char* kSeparators = "\\/:";
}

std::string WithTrailingBackslash(const std::string& folder) {
  if (!folder.empty() && folder.back() == '\\') return folder;
  return folder + "\\";
}

std::string WithoutTrailingBackslash(const std::string& folder) {
  if (!folder.empty() && folder.back() == '\\') return folder.substr(0, folder.size() - 1);
  return folder;
}

std::string FileNameOf(const std::string& path) {
  std::size_t at = path.find_last_of(kSeparators);
  return at == std::string::npos ? path : path.substr(at + 1);
}

std::string FolderPartOf(const std::string& path) {
  std::size_t at = path.find_last_of(kSeparators);
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string WithExtension(const std::string& path, const std::string& extension) {
  std::size_t name_start = path.size() - FileNameOf(path).size();
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < name_start) return path + extension;
  return path.substr(0, dot) + extension;
}

}  // namespace horalux
