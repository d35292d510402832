#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "tests/e2e/driver.h"
#include "win32/platform/win_file_handles.h"
#include "win32/platform/wide.h"

namespace horalux {
namespace {

using win32::Widen;

DWORD Outcome(BOOL ok) {
  return ok ? ERROR_SUCCESS : GetLastError();
}

// While a folder is held nobody can move, rename or delete it, which would
// let a link take its place; work inside it goes on as usual.
TEST(WinFileHandles, AHeldFolderCannotBeMovedRenamedOrDeletedButItsFilesCan) {
  e2e::ScratchDir scratch("hold");
  const std::wstring folder = (scratch.path() / L"held").wstring();
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  WinFileHandles handles;
  auto held = handles.hold_folder(win32::Narrow(folder));
  ASSERT_TRUE(held);
  const std::wstring file = folder + L"\\a.txt", renamed = folder + L"\\b.txt";
  std::unique_ptr<OpenedFile> made;
  struct Row {
    const char* what;
    std::function<DWORD()> act;
    DWORD expected;
  } rows[] = {
      {"delete it while empty", [&] { return Outcome(RemoveDirectoryW(folder.c_str())); },
       ERROR_SHARING_VIOLATION},
      {"move it (MoveFileExW)",
       [&] { return Outcome(MoveFileExW(folder.c_str(), (folder + L"-moved").c_str(), 0)); },
       ERROR_SHARING_VIOLATION},
      {"rename it through a handle",
       [&] {
         HANDLE h = CreateFileW(folder.c_str(), DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
         if (h == INVALID_HANDLE_VALUE) return GetLastError();
         const std::wstring to = folder + L"-renamed";
         std::string buf(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t), '\0');
         auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
         info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
         to.copy(info->FileName, to.size());
         const DWORD result = Outcome(
             SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(buf.size())));
         CloseHandle(h);
         return result;
       },
       ERROR_SHARING_VIOLATION},
      {"create a file inside",
       [&] {
         HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
         if (h == INVALID_HANDLE_VALUE) return GetLastError();
         CloseHandle(h);
         return static_cast<DWORD>(ERROR_SUCCESS);
       },
       ERROR_SUCCESS},
      {"rename a file inside",
       [&] { return Outcome(MoveFileExW(file.c_str(), renamed.c_str(), 0)); }, ERROR_SUCCESS},
      {"make a folder by its handle",
       [&] {
         made = held->make_folder("新しい");
         return static_cast<DWORD>(made && made->facts().final_path.ends_with("\\held\\新しい")
                                       ? ERROR_SUCCESS
                                       : ERROR_PATH_NOT_FOUND);
       },
       ERROR_SUCCESS},
      {"delete the folder made so",
       [&] { return Outcome(RemoveDirectoryW((folder + L"\\新しい").c_str())); },
       ERROR_SHARING_VIOLATION},
  };
  std::printf("%-28s %-8s %s\n", "while held", "error", "expected");
  for (const Row& row : rows) {
    const DWORD error = row.act();
    std::printf("%-28s %-8lu %lu\n", row.what, error, row.expected);
    EXPECT_EQ(error, row.expected) << row.what;
  }
  made.reset();
  held.reset();
  RemoveDirectoryW((folder + L"\\新しい").c_str());
  DeleteFileW(renamed.c_str());
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

}  // namespace
}  // namespace horalux
