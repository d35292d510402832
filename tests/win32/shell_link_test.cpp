#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/install/startup_link.h"
#include "win32/desktop/win_shell.h"
#include "win32/platform/wide.h"
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

TEST(WinShell, WritesALinkAndReadsBackTargetArgumentsAndWorkingFolder) {
  WinShell shell;
  Scratch scratch("horalux_link_");
  const std::string link = scratch.file("Horalux.lnk");
  const std::string target = "C:\\Program Files\\表示\\Horalux.exe";
  ASSERT_EQ(shell.write_link(link, {target, "-R", "C:\\Program Files\\表示"}), LinkSave::Saved);
  auto read = shell.read_link(link);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->target, target);
  EXPECT_EQ(read->arguments, "-R");
  EXPECT_EQ(read->working_folder, "C:\\Program Files\\表示");
  EXPECT_FALSE(shell.read_link(scratch.path() + "none.lnk"));
}

TEST(WinShell, SavingIntoAMissingFolderIsReportedAsAFailedSave) {
  WinShell shell;
  EXPECT_EQ(shell.write_link("Q:\\no\\such\\folder\\Horalux.lnk", {"C:\\a.exe", "", "C:\\"}),
            LinkSave::SaveFailed);
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
