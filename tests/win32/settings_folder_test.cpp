#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "core/settings/settings_folder.h"
#include "win32/desktop/win_shell.h"
#include "win32/platform/wide.h"
#include "win32/platform/win_files.h"
#include "win32/platform/win_text_codec.h"

namespace horalux {
namespace {

using win32::Widen;

// Boxes nobody may see here.
struct NoBoxes : Boxes {
  void message(const std::string& text) override { ADD_FAILURE() << text; }
  bool question(const std::string&, const std::string& text, bool) override {
    ADD_FAILURE() << text;
    return false;
  }
  void error(const std::string& text) override { ADD_FAILURE() << text; }
  void notice(Icon, const std::string&, const std::string& text) override { ADD_FAILURE() << text; }
};

// The real shell and file system put the settings into the prefix user's
// local application-data folder, made at the first start.
TEST(SettingsFolder, IsTheUsersLocalApplicationDataFolderMadeAtTheFirstStart) {
  PWSTR local = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local)));
  const std::string folder = win32::Narrow(local) + "\\Orvane\\HoraLux";
  CoTaskMemFree(local);
  // An earlier run's folder waits aside until the test has made its own.
  const std::wstring aside = Widen(folder + ".aside");
  const bool moved = MoveFileW(Widen(folder).c_str(), aside.c_str());
  WinFiles files;
  WinTextCodec codec;
  WinShell shell;
  NoBoxes boxes;
  SettingsLocation at;
  ResolveSettingsFolder(files, codec, boxes, shell, at, [](auto&, auto&, int) {});
  EXPECT_EQ(at.folder, folder + "\\");
  EXPECT_EQ(at.logFile, folder + "\\Jikoku.txt");
  EXPECT_TRUE(files.folder_exists(folder));
  DeleteFileW(Widen(folder + "\\HoraLux.ini").c_str());
  DeleteFileW(Widen(folder + "\\Jikoku.txt").c_str());
  RemoveDirectoryW(Widen(folder).c_str());
  if (moved) MoveFileW(aside.c_str(), Widen(folder).c_str());
  RemoveDirectoryW(Widen(folder.substr(0, folder.rfind('\\'))).c_str());  // only when empty
}

}  // namespace
}  // namespace horalux
