#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/settings/settings_folder.h"
#include "win32/desktop/win_shell.h"
#include "win32/platform/wide.h"
#include "win32/platform/win_files.h"
#include "win32/platform/win_text_codec.h"

namespace horalux {
namespace {

namespace fs = std::filesystem;
using win32::Narrow;
using win32::Widen;

// Boxes that only record: the test fails on any box shown.
struct RecordedBoxes : Boxes {
  void message(const std::string& text) override { shown.push_back(text); }
  bool question(const std::string&, const std::string& text, bool yes) override {
    shown.push_back(text);
    return yes;
  }
  void error(const std::string& text) override { shown.push_back(text); }
  void notice(Icon, const std::string&, const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

// A folder of the prefix moved aside for one test and put back after it;
// whatever the test made in its place goes.
class FolderAside {
 public:
  explicit FolderAside(fs::path folder)
      : folder_(std::move(folder)),
        saved_(folder_.parent_path() / (L"aside-" + std::to_wstring(GetCurrentProcessId()))) {
    std::error_code ec;
    moved_ = fs::exists(folder_, ec) && (fs::rename(folder_, saved_, ec), !ec);
  }
  ~FolderAside() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
    if (moved_) fs::rename(saved_, folder_, ec);
  }

 private:
  fs::path folder_, saved_;
  bool moved_ = false;
};

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring text;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) text = path;
  CoTaskMemFree(path);
  return text;
}

// The shell's folder of the prefix user, created at the first start, takes in
// an earlier version's settings file from the common folder and leaves it
// there for the PC's other users.
TEST(SettingsFolder, IsTheUsersLocalApplicationDataFolderMadeAtTheFirstStart) {
  const std::wstring local = KnownFolder(FOLDERID_LocalAppData);
  ASSERT_FALSE(local.empty());
  const fs::path user = fs::path(local) / L"Orvane" / L"HoraLux";
  WinFiles files;
  const fs::path common = Widen(CommonSettingsFolder(files));
  FolderAside user_aside(user);
  FolderAside common_aside(common);
  fs::create_directories(common);
  const std::string earlier = "[Jikoku]\r\nudChien=42\r\n";
  {
    HANDLE h = CreateFileW((common / L"HoraLux.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, earlier.data(), static_cast<DWORD>(earlier.size()), &written, nullptr);
    CloseHandle(h);
  }

  WinTextCodec codec;
  WinShell shell;
  RecordedBoxes boxes;
  SettingsLocation at;
  int safeguarded = 0;
  ResolveSettingsFolder(files, codec, boxes, shell, at,
                        [&](const std::string&, const std::string&, int) { ++safeguarded; });

  EXPECT_EQ(at.folder, Narrow(user.wstring()) + "\\");
  EXPECT_TRUE(fs::is_directory(user));
  EXPECT_EQ(at.logFile, at.folder + "Jikoku.txt");
  EXPECT_EQ(files.read(at.folder + "HoraLux.ini"), earlier);
  EXPECT_EQ(files.read(Narrow(common.wstring()) + "HoraLux.ini"), earlier);
  EXPECT_EQ(safeguarded, 0);
  EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front();
}

}  // namespace
}  // namespace horalux
