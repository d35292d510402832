#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "tests/e2e/driver.h"
#include "win32/platform/win_file_handles.h"

namespace horalux {
namespace {

DWORD Outcome(BOOL ok) {
  return ok ? ERROR_SUCCESS : GetLastError();
}

// While a folder is held nobody can move, rename or delete it, which would
// let a link take its place; work inside it goes on as usual.
TEST(WinFileHandles, AHeldFolderCannotBeMovedRenamedOrDeletedButItsFilesCan) {
  e2e::ScratchDir scratch("hold");
  const std::wstring folder = (scratch.path() / L"held").wstring(), made = folder + L"\\新しい";
  const std::wstring file = folder + L"\\a.txt", renamed = folder + L"\\b.txt";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  WinFileHandles handles;
  auto held = handles.hold_folder(e2e::PathToUtf8(folder));
  ASSERT_TRUE(held);
  std::unique_ptr<OpenedFile> inner;
  auto rename_by_handle = [&] {
    HANDLE h =
        CreateFileW(folder.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    FILE_RENAME_INFO info{};  // a one-letter name fits in the structure itself
    info.FileNameLength = sizeof(wchar_t);
    info.FileName[0] = L'x';
    const DWORD result = Outcome(SetFileInformationByHandle(h, FileRenameInfo, &info, sizeof info));
    CloseHandle(h);
    return result;
  };
  struct Row {
    const char* what;
    std::function<DWORD()> act;
    DWORD expected;
  } rows[] = {
      // clang-format off
      {"delete it while empty", [&] { return Outcome(RemoveDirectoryW(folder.c_str())); }, ERROR_SHARING_VIOLATION},
      {"move it (MoveFileExW)", [&] { return Outcome(MoveFileExW(folder.c_str(), (folder + L"2").c_str(), 0)); }, ERROR_SHARING_VIOLATION},
      {"rename it through a handle", rename_by_handle, ERROR_SHARING_VIOLATION},
      {"create a file inside", [&] { return Outcome(CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr))); }, ERROR_SUCCESS},
      {"rename a file inside", [&] { return Outcome(MoveFileExW(file.c_str(), renamed.c_str(), 0)); }, ERROR_SUCCESS},
      {"make a folder by its handle", [&] { inner = held->make_folder("新しい"); return DWORD(inner && inner->facts().final_path.ends_with("\\held\\新しい") ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND); }, ERROR_SUCCESS},
      {"delete the folder made so", [&] { return Outcome(RemoveDirectoryW(made.c_str())); }, ERROR_SHARING_VIOLATION},
      // clang-format on
  };
  std::printf("%-28s %-8s %s\n", "while held", "error", "expected");
  for (const Row& row : rows) {
    const DWORD error = row.act();
    std::printf("%-28s %-8lu %lu\n", row.what, error, row.expected);
    EXPECT_EQ(error, row.expected) << row.what;
  }
  inner.reset();
  held.reset();
  RemoveDirectoryW(made.c_str());
  DeleteFileW(renamed.c_str());
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

}  // namespace
}  // namespace horalux
