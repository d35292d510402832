#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/install/startup_link.h"
#include "core/linkcheck/checked_files.h"
#include "tests/e2e/driver.h"
#include "win32/desktop/win_shell.h"
#include "win32/platform/wide.h"
#include "win32/platform/win_file_handles.h"
#include "win32/platform/win_files.h"

namespace horalux {
namespace {

using win32::Narrow;
using win32::Widen;

// A scratch folder under the temp folder; the files a test names are removed
// with it.
class Scratch {
 public:
  explicit Scratch(const char* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = Narrow(temp) + name + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryW(Widen(path_).c_str(), nullptr);
  }
  ~Scratch() {
    for (const auto& f : files_) DeleteFileW(Widen(path_ + f).c_str());
    RemoveDirectoryW(Widen(path_).c_str());
  }
  std::string file(const std::string& name) {
    files_.push_back(name);
    return path_ + name;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

// Made in memory and written through a checked handle, as an elevated run
// writes it: the shell and lnkinfo both read the three fields back.
TEST(WinShell, LinkBytesWrittenThroughAHandleReadBackTargetArgumentsAndWorkingFolder) {
  WinShell shell;
  WinFiles plain;
  WinFileHandles handles;
  CheckedFiles files(plain, handles, true);
  // On the Linux root drive, where lnkinfo can read it.
  const std::string link = SpecialFolder(shell, SpecialFolderId::Desktop) + "HoraluxLinkTest" +
                           std::to_string(GetCurrentProcessId()) + ".lnk";
  // lnkinfo reads the target's ANSI form as Latin: it is given one in ASCII.
  const std::string target = "C:\\Program Files\\Orvane\\Horalux\\Horalux.exe";
  const std::optional<std::string> bytes =
      shell.link_bytes({target, "-R", "C:\\Program Files\\表示"});
  ASSERT_TRUE(bytes);
  ASSERT_TRUE(files.write(link, *bytes));
  auto read = shell.read_link(link);
  const std::string info = e2e::LnkInfo(win32::Widen(link));
  DeleteFileW(Widen(link).c_str());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->target, target);
  EXPECT_EQ(read->arguments, "-R");
  EXPECT_EQ(read->working_folder, "C:\\Program Files\\表示");
  EXPECT_EQ(e2e::LnkField(info, "Local path"), target) << info;
  EXPECT_EQ(e2e::LnkField(info, "Command line arguments"), "-R") << info;
  EXPECT_EQ(e2e::LnkField(info, "Working directory"), "C:\\Program Files\\表示") << info;
  Scratch scratch("horalux_link_");
  EXPECT_FALSE(shell.read_link(scratch.path() + "none.lnk"));
}

TEST(WinShell, LinkBytesWrittenIntoAMissingFolderAreAFailedSave) {
  WinShell shell;
  WinFiles files;
  const std::optional<std::string> bytes = shell.link_bytes({"C:\\a.exe", "", "C:\\"});
  ASSERT_TRUE(bytes);
  EXPECT_FALSE(files.write("Q:\\no\\such\\folder\\Horalux.lnk", *bytes));
}

TEST(WinShell, SpecialFoldersAreTheRedirectedShellFolders) {
  WinShell shell;
  for (SpecialFolderId id : {SpecialFolderId::Desktop, SpecialFolderId::Programs,
                             SpecialFolderId::Startup, SpecialFolderId::StartMenu}) {
    std::string folder = SpecialFolder(shell, id);
    ASSERT_FALSE(folder.empty()) << static_cast<int>(id);
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_NE(GetFileAttributesW(Widen(folder).c_str()), INVALID_FILE_ATTRIBUTES) << folder;
  }
}

TEST(WinShell, StartsAProcessInItsWorkingFolder) {
  WinShell shell;
  Scratch scratch("horalux_start_");
  const std::string out = scratch.file("cd.txt");
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  ProcessId process =
      shell.start_process(Narrow(system) + "\\cmd.exe", "/c cd > cd.txt", scratch.path());
  ASSERT_NE(process, 0u);
  for (int i = 0; i < 200 && shell.process_running(process); ++i) Sleep(50);
  EXPECT_FALSE(shell.process_running(process));
  EXPECT_FALSE(shell.process_has_window(process, "TfmJikoku"));
  WinFiles files;
  auto text = files.read(out);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->substr(0, scratch.path().size() - 1),
            scratch.path().substr(0, scratch.path().size() - 1));
}

}  // namespace
}  // namespace horalux
