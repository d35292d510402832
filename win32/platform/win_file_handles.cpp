#include "win32/platform/win_file_handles.h"

#include <windows.h>
#include <aclapi.h>
#include <winternl.h>

#include <algorithm>
#include <vector>

#include "win32/platform/handle.h"
#include "win32/platform/system32_library.h"
#include "win32/platform/wide.h"
#include "win32/platform/file_io.h"

namespace horalux {
namespace {

using win32::LoadedExport;
using win32::Narrow;
using win32::UniqueHandle;
using win32::Widen;

// A folder held: listing its content is data access, which sharing is
// checked against (an attribute-only open holds nothing), and delete is not
// shared, so neither it nor a link put in its place can come or go.
// READ_CONTROL lets its rights be read through the hold, not by its name.
constexpr DWORD kHoldAccess =
    FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE | READ_CONTROL;
constexpr DWORD kHoldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

// ntdll's NtCreateFile, which creates a name relative to a folder's handle;
// ntdll is in every process before any of its code runs.
using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
NtCreateFileFn NtCreateFileEntry() {
  static const auto entry = LoadedExport<NtCreateFileFn>(L"ntdll.dll", "NtCreateFile");
  return entry;
}

HANDLE HoldByName(const std::wstring& path) {
  return CreateFileW(path.c_str(), kHoldAccess, kHoldSharing, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

std::unique_ptr<OpenedFile> Opened(HANDLE h);

// The token of the user's unelevated programs, as AccessCheck takes it (an
// impersonation token): the filtered token an elevated one is linked to, or
// this process's own where there is none (UAC off, or not elevated).
UniqueHandle UnelevatedToken() {
  HANDLE process_token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &process_token))
    return UniqueHandle();
  const UniqueHandle own(process_token);
  DWORD size = 0;
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  TOKEN_LINKED_TOKEN linked{};
  // Only a full token's link leads down; a filtered one's leads up. A full
  // token whose link cannot be had answers nothing: its own rights are the
  // administrators', not the user's.
  if (!GetTokenInformation(own.get(), TokenElevationType, &type, sizeof type, &size))
    return UniqueHandle();
  if (type == TokenElevationTypeFull) {
    if (!GetTokenInformation(own.get(), TokenLinkedToken, &linked, sizeof linked, &size))
      return UniqueHandle();
    return UniqueHandle(linked.LinkedToken);
  }
  HANDLE duplicate = nullptr;
  if (!DuplicateToken(own.get(), SecurityIdentification, &duplicate)) return UniqueHandle();
  return UniqueHandle(duplicate);
}

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
    if (GetFileInformationByHandle(h_.get(), &info)) facts.links = info.nNumberOfLinks;
    // Attributes and tag in one answer: a junction opened as itself names its
    // own path, so its tag is all that tells it apart. Without an answer it
    // counts as a link, and a folder that cannot say is refused.
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (GetFileInformationByHandleEx(h_.get(), FileAttributeTagInfo, &tag, sizeof tag)) {
      facts.attributes = tag.FileAttributes;
      if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        facts.reparse_tag = tag.ReparseTag ? tag.ReparseTag : IO_REPARSE_TAG_SYMLINK;
    } else {
      facts.attributes = FILE_ATTRIBUTE_REPARSE_POINT;
      facts.reparse_tag = IO_REPARSE_TAG_SYMLINK;
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

  bool unelevated_may_add(bool sub_folder) override {
    const UniqueHandle token = UnelevatedToken();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // AccessCheck needs the owner and the group as well as the DACL.
    if (!token.valid() ||
        GetSecurityInfo(
            h_.get(), SE_FILE_OBJECT,
            OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            nullptr, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
      return false;
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges{};
    DWORD privileges_size = sizeof privileges, granted = 0;
    BOOL allowed = FALSE;
    const BOOL checked =
        AccessCheck(descriptor, token.get(), sub_folder ? FILE_ADD_SUBDIRECTORY : FILE_ADD_FILE,
                    &mapping, &privileges, &privileges_size, &granted, &allowed);
    LocalFree(descriptor);
    return checked && allowed;
  }

  std::unique_ptr<OpenedFile> make_folder(const std::string& name) override {
    const std::wstring wide = Widen(name);
    if (NtCreateFileFn create = NtCreateFileEntry()) {
      UNICODE_STRING object_name;
      object_name.Buffer = const_cast<PWSTR>(wide.c_str());
      object_name.Length = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
      object_name.MaximumLength = object_name.Length;
      OBJECT_ATTRIBUTES attributes;
      InitializeObjectAttributes(&attributes, &object_name, OBJ_CASE_INSENSITIVE, h_.get(),
                                 nullptr);
      IO_STATUS_BLOCK status{};
      HANDLE made = INVALID_HANDLE_VALUE;
      if (NT_SUCCESS(create(&made, kHoldAccess, &attributes, &status, nullptr,
                            FILE_ATTRIBUTE_NORMAL, kHoldSharing, FILE_CREATE,
                            FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT |
                                FILE_OPEN_FOR_BACKUP_INTENT | FILE_OPEN_REPARSE_POINT,
                            nullptr, 0)))
        return Opened(made);
      return nullptr;
    }
    // By name inside the folder this handle reaches; the caller checks what
    // it then holds.
    const std::string folder = facts().final_path;
    if (folder.empty()) return nullptr;
    const std::wstring path = Widen(folder) + L"\\" + wide;
    if (!CreateDirectoryW(path.c_str(), nullptr)) return nullptr;
    return Opened(HoldByName(path));
  }

 private:
  bool Rewind() {
    LARGE_INTEGER zero{};
    return SetFilePointerEx(h_.get(), zero, nullptr, FILE_BEGIN) != FALSE;
  }

  UniqueHandle h_;
};

std::unique_ptr<OpenedFile> Opened(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return nullptr;
  return std::make_unique<WinOpenedFile>(h);
}

}  // namespace

std::unique_ptr<OpenedFile> WinFileHandles::hold_folder(const std::string& path) {
  return Opened(HoldByName(Widen(path)));
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
