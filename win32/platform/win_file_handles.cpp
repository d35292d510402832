#include "win32/platform/win_file_handles.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "win32/platform/handle.h"
#include "win32/platform/wide.h"
#include "win32/platform/file_io.h"

namespace horalux {
namespace {

using win32::Narrow;
using win32::UniqueHandle;
using win32::Widen;

class WinOpenedFile : public OpenedFile {
 public:
  explicit WinOpenedFile(HANDLE h) : h_(h) {}

  FileFacts facts() override {
    FileFacts facts;
    std::wstring buf(32768, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h_.get(), buf.data(), static_cast<DWORD>(buf.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n > 0 && n < buf.size()) facts.final_path = Narrow(buf.substr(0, n));
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h_.get(), &info)) {
      facts.links = info.nNumberOfLinks;
      facts.attributes = info.dwFileAttributes;
    }
    return facts;
  }

  std::optional<std::string> read_all() override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h_.get(), &size) || size.QuadPart > 0x7FFFFFFF || !Rewind())
      return std::nullopt;
    return win32::ReadUpTo(h_.get(), static_cast<std::size_t>(size.QuadPart));
  }

  bool write_all(const std::string& bytes) override {
    if (!Rewind() || !SetEndOfFile(h_.get())) return false;
    return win32::WriteAllAndFlush(h_.get(), bytes);
  }

  bool set_attributes(std::uint32_t attributes) override {
    FILE_BASIC_INFO info{};
    info.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(h_.get(), FileBasicInfo, &info, sizeof info) != FALSE;
  }

  bool rename_to(const std::string& to, bool replace) override {
    const std::wstring name = Widen(to);
    const std::size_t name_bytes = name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buf(sizeof(FILE_RENAME_INFO) + name_bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(name_bytes);
    std::copy(name.begin(), name.end(), info->FileName);
    return SetFileInformationByHandle(h_.get(), FileRenameInfo, info,
                                      static_cast<DWORD>(buf.size())) != FALSE;
  }

  bool remove() override {
    FILE_DISPOSITION_INFO info{TRUE};
    return SetFileInformationByHandle(h_.get(), FileDispositionInfo, &info, sizeof info) != FALSE;
  }

 private:
  bool Rewind() {
    LARGE_INTEGER zero{};
    return SetFilePointerEx(h_.get(), zero, nullptr, FILE_BEGIN) != FALSE;
  }

  UniqueHandle h_;
};

std::unique_ptr<OpenedFile> Opened(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<WinOpenedFile>(h);
}

}  // namespace

std::unique_ptr<OpenedFile> WinFileHandles::hold_folder(const std::string& path) {
  // Without FILE_SHARE_DELETE nobody can rename or delete the folder, nor
  // put a link in its place, while it is held.
  return Opened(CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

std::unique_ptr<OpenedFile> WinFileHandles::open_file(const std::string& path, bool change) {
  const std::wstring name = Widen(path);
  constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  if (!change)
    return Opened(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              kFlags, nullptr));
  HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                         nullptr, OPEN_EXISTING, kFlags, nullptr);
  // A read-only file may still be renamed, removed and given other attributes.
  if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
    h = CreateFileW(name.c_str(), GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                    nullptr, OPEN_EXISTING, kFlags, nullptr);
  return Opened(h);
}

std::unique_ptr<OpenedFile> WinFileHandles::create_file(const std::string& path) {
  return Opened(CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                            FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

std::string WinFileHandles::long_path(const std::string& path) {
  const std::wstring name = Widen(path);
  std::wstring buf(32768, L'\0');
  DWORD n = GetLongPathNameW(name.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
  if (n == 0 || n >= buf.size()) return path;
  buf.resize(n);
  return Narrow(buf);
}

}  // namespace horalux
