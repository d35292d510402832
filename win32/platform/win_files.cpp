#include "win32/platform/win_files.h"

#include <windows.h>

#include "win32/platform/handle.h"
#include "win32/platform/wide.h"
#include "win32/platform/file_io.h"

namespace horalux {

using win32::Widen;

bool WinFiles::exists(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WinFiles::folder_exists(const std::string& path) {
  DWORD a = GetFileAttributesW(Widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> WinFiles::read(const std::string& path) {
  win32::UniqueHandle f(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.valid()) return std::nullopt;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.get(), &size) || size.QuadPart > 0x7FFFFFFF) return std::nullopt;
  return win32::ReadUpTo(f.get(), static_cast<std::size_t>(size.QuadPart));
}

bool WinFiles::write(const std::string& path, const std::string& bytes) {
  win32::UniqueHandle f(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.valid()) return false;
  return win32::WriteAllAndFlush(f.get(), bytes);
}

bool WinFiles::replace(const std::string& from, const std::string& to) {
  return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool WinFiles::rename(const std::string& from, const std::string& to) {
  return MoveFileW(Widen(from).c_str(), Widen(to).c_str()) != FALSE;
}

bool WinFiles::remove(const std::string& path) {
  return DeleteFileW(Widen(path).c_str()) != FALSE;
}

std::optional<std::uint32_t> WinFiles::attributes(const std::string& path) {
  DWORD a = GetFileAttributesW(Widen(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return a;
}

bool WinFiles::set_attributes(const std::string& path, std::uint32_t attributes) {
  return SetFileAttributesW(Widen(path).c_str(), attributes) != FALSE;
}

bool WinFiles::copy_file(const std::string& from, const std::string& to) {
  return CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE) != FALSE;
}

bool WinFiles::make_folder(const std::string& path) {
  return CreateDirectoryW(Widen(path).c_str(), nullptr) != FALSE;
}

DriveType WinFiles::drive_type(const std::string& root) {
  switch (GetDriveTypeW(Widen(root).c_str())) {
    case DRIVE_NO_ROOT_DIR:
      return DriveType::NoRootDir;
    case DRIVE_REMOVABLE:
      return DriveType::Removable;
    case DRIVE_FIXED:
      return DriveType::Fixed;
    case DRIVE_REMOTE:
      return DriveType::Remote;
    case DRIVE_CDROM:
      return DriveType::CdRom;
    case DRIVE_RAMDISK:
      return DriveType::RamDisk;
    default:
      return DriveType::Unknown;
  }
}

std::string WinFiles::windows_folder() {
  wchar_t buf[MAX_PATH];
  UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
  std::wstring w(buf, n < MAX_PATH ? n : 0);
  while (w.size() > 3 && w.back() == L'\\') w.pop_back();
  return win32::Narrow(w);
}

win32::UniqueHandle OpenOwnImage() {
  // Shared for reading only: while this copy runs, nobody can write, replace
  // or rename the file it was started from.
  wchar_t path[32768];
  const DWORD n = GetModuleFileNameW(nullptr, path, 32768);
  if (n == 0 || n >= 32768) return win32::UniqueHandle();
  return win32::UniqueHandle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::optional<std::string> WinFiles::read_own_image() {
  LARGE_INTEGER size{}, start{};
  if (!image_.valid() || !GetFileSizeEx(image_.get(), &size) || size.QuadPart > 0x7FFFFFFF ||
      !SetFilePointerEx(image_.get(), start, nullptr, FILE_BEGIN))
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!ReadFile(image_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
      got != bytes.size())
    return std::nullopt;
  return bytes;
}

std::string WinFiles::executable_path() {
  std::wstring buf(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  buf.resize(n);
  // A program started through a short name ("PROGRA~1") gets that name
  // back; the long one is what folders are compared by and links are made to.
  std::wstring long_name(32768, L'\0');
  const DWORD m =
      GetLongPathNameW(buf.c_str(), long_name.data(), static_cast<DWORD>(long_name.size()));
  if (m > 0 && m < long_name.size()) {
    long_name.resize(m);
    buf = long_name;
  }
  return win32::Narrow(buf);
}

}  // namespace horalux
