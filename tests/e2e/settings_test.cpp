// The settings folder and the settings file of Horalux.exe, seen on disk:
// where the program keeps its files, the one-time move of an earlier copy's
// files into the user's own folder, and what closing the window writes.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/base/version.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/sync_checks.h"

namespace horalux::e2e {
namespace {

namespace fs = std::filesystem;

// Named as the hand-given SNTP server in every settings file here, so that no
// cycle could reach a public server; no test here starts a cycle.
constexpr char kServer[] = "127.0.0.51";

// An access log an earlier copy left behind (Shift-JIS on disk).
constexpr char kOldLogEntry[] = "[ 2001/02/03(土) 4:05:06 ]任意設定(NTP/SNTP)";

std::string HandGivenServer() {
  return "cbSNTP=1\r\nedtSNTP=" + std::string(kServer) + "\r\n";
}

std::string OldLog() {
  return Utf8ToCp932(std::string("\r\n") + kOldLogEntry +
                     "\r\n以前の時刻は、取得した時刻より 0.20 秒遅れていました\r\n");
}

// Where an earlier version kept every user's settings, derived from the
// Windows folder's drive.
fs::path CommonSettingsFolder() {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  std::wstring root = windows[1] == L':' ? std::wstring(windows, 3) : std::wstring(L"C:\\");
  return fs::path(root + L"Program Files\\Common Files\\Orvane\\HoraLux");
}

// The settings folder of the prefix user, who runs both the tests and the
// program: the shell's local application-data folder.
fs::path UserSettingsFolder() {
  return ShellFolder(CSIDL_LOCAL_APPDATA) / L"Orvane" / L"HoraLux";
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

// One folder of the prefix moved aside for one test: when the test ends, the
// folder the test made is removed and everything is put back as it was.
class FolderAside {
 public:
  explicit FolderAside(fs::path folder)
      : folder_(std::move(folder)),
        saved_(folder_.parent_path() /
               (L"HoraLux.e2e-saved-" + std::to_wstring(GetCurrentProcessId()))),
        vendor_existed_(Exists(folder_.parent_path())) {
    if (Exists(folder_)) {
      fs::rename(folder_, saved_);
      moved_aside_ = true;
    }
  }
  ~FolderAside() {
    // A program that just ended may hold its files for a moment longer.
    PollUntil(
        [&] {
          std::error_code ec;
          fs::remove_all(folder_, ec);
          return !Exists(folder_);
        },
        Millis(3000));
    std::error_code ec;
    if (moved_aside_) {
      fs::rename(saved_, folder_, ec);
    } else if (!vendor_existed_) {
      fs::remove(folder_.parent_path(), ec);  // only when empty
    }
  }
  FolderAside(const FolderAside&) = delete;
  FolderAside& operator=(const FolderAside&) = delete;

  const fs::path& folder() const { return folder_; }

 private:
  fs::path folder_;
  fs::path saved_;
  bool vendor_existed_;
  bool moved_aside_ = false;
};

// A machine on which Horalux never ran, for one test: neither the user's
// settings folder nor an earlier version's common one.
struct MachineWhereHoraluxNeverRan {
  FolderAside common{CommonSettingsFolder()};
  FolderAside user{UserSettingsFolder()};
  const fs::path& folder() const { return user.folder(); }
};

// A program copy in a scratch folder of its own, started from a working
// folder whose marker lets it run beside other tests' copies.
// The settings folder's header names the program's folder with its "\".
std::string FolderText(const ProgramCopy& copy) {
  return PathToUtf8(copy.folder()) + "\\";
}

Window MainWindowOf(const Process& app) {
  return app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
}

// The access-log view: the only multi-line edit of the window.
Window LogView(const Window& main) {
  for (const Window& edit : main.Controls({.cls = "Edit"})) {
    if (GetWindowLongPtrW(edit.handle(), GWL_STYLE) & ES_MULTILINE) return edit;
  }
  throw DriverError("no access-log view in:\n" + main.DescribeTree());
}

// Closes the window as its close box does and waits for the program to end.
void CloseAndWait(const Process& app, const Window& main) {
  main.Close();
  main.WaitGone();
  EXPECT_EQ(app.WaitExit(), 0u);
}

// Sections and keys of an ini text, in file order: "[Section]" for a section
// line, the key for a key line, other lines as they are.
std::vector<std::string> IniOutline(const std::string& text) {
  std::vector<std::string> outline;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const size_t eq = line.find('=');
    outline.push_back(line.front() == '[' || eq == std::string::npos ? line : line.substr(0, eq));
  }
  return outline;
}

TEST(SettingsFolder, FirstStartMovesAnEarlierCopysFilesIntoTheUsersOwnFolder) {
  MachineWhereHoraluxNeverRan machine;
  ProgramCopy copy({}, {.portable = false});
  const std::string old_ini = "[Jikoku]\r\nudChien=123\r\n" + HandGivenServer();
  WriteFileBytes(copy / "HoraLux.ini", old_ini);
  WriteFileBytes(copy / "Jikoku.txt", OldLog());

  {
    Process app = copy.Start();
    Window main = MainWindowOf(app);

    const fs::path user = machine.folder();
    EXPECT_TRUE(fs::is_directory(user));
    EXPECT_FALSE(Exists(CommonSettingsFolder()));
    EXPECT_EQ(ReadFileBytes(user / L"HoraLux.ini"), old_ini);
    EXPECT_EQ(ReadFileBytes(user / L"Jikoku.txt"), OldLog());
    EXPECT_FALSE(Exists(copy / "HoraLux.ini"));
    EXPECT_FALSE(Exists(copy / "Jikoku.txt"));
    EXPECT_EQ(ReadFileBytes(copy / "SafeGuard/01_HoraLux.ini"), old_ini);
    EXPECT_EQ(ReadFileBytes(copy / "SafeGuard/01_Jikoku.txt"), OldLog());
    EXPECT_NE(LogView(main).Text().find(kOldLogEntry), std::string::npos);

    CloseAndWait(app, main);
    // The moved file was the one read, and the one written at the close.
    EXPECT_EQ(ReadIni(user / L"HoraLux.ini", "Jikoku", "udChien"), "123");
    EXPECT_EQ(ReadIni(user / L"HoraLux.ini", "Header", "Folder"), FolderText(copy));
    EXPECT_FALSE(Exists(copy / "Horalux.ini"));
  }

  // Files left in the program folder again stay where they are from now on.
  const std::string newer_ini = "[Jikoku]\r\nudChien=456\r\n" + HandGivenServer();
  WriteFileBytes(copy / "HoraLux.ini", newer_ini);
  WriteFileBytes(copy / "Jikoku.txt", "newer log\r\n");
  Process app = copy.Start();
  Window main = MainWindowOf(app);
  EXPECT_EQ(ReadFileBytes(copy / "HoraLux.ini"), newer_ini);
  EXPECT_EQ(ReadFileBytes(copy / "Jikoku.txt"), "newer log\r\n");
  EXPECT_FALSE(Exists(copy / "SafeGuard/02_HoraLux.ini"));
  EXPECT_FALSE(Exists(copy / "SafeGuard/02_Jikoku.txt"));
  EXPECT_EQ(ReadFileBytes(machine.folder() / L"Jikoku.txt"), OldLog());
  CloseAndWait(app, main);
  EXPECT_EQ(ReadIni(machine.folder() / L"HoraLux.ini", "Jikoku", "udChien"), "123");
  EXPECT_EQ(ReadFileBytes(copy / "HoraLux.ini"), newer_ini);
}

TEST(SettingsFolder, LocalFolderMarkerKeepsSettingsAndLogBesideTheProgram) {
  MachineWhereHoraluxNeverRan machine;
  ProgramCopy copy;
  WriteFileBytes(copy / "Horalux.ini", "[Jikoku]\r\nudChien=77\r\n" + HandGivenServer());
  WriteFileBytes(copy / "Jikoku.txt", OldLog());

  Process app = copy.Start();
  Window main = MainWindowOf(app);
  EXPECT_NE(LogView(main).Text().find(kOldLogEntry), std::string::npos);
  CloseAndWait(app, main);

  EXPECT_EQ(ReadIni(copy / "Horalux.ini", "Jikoku", "udChien"), "77");
  EXPECT_EQ(ReadIni(copy / "Horalux.ini", "Header", "Version"), kProgramVersion);
  EXPECT_EQ(ReadFileBytes(copy / "Jikoku.txt"), OldLog());
  EXPECT_FALSE(Exists(copy / "SafeGuard"));
  EXPECT_FALSE(Exists(machine.folder()));
}

TEST(SettingsFile, ClosingWritesTheHeaderAndEveryKeyInItsOrder) {
  // No settings file at all: every key is written with its default.
  ProgramCopy copy;
  Process app = copy.Start();
  CloseAndWait(app, MainWindowOf(app));

  const fs::path ini = copy / "Horalux.ini";
  const std::string text = ReadCp932File(ini).value_or("");
  const std::vector<std::string> order = {
      "[Header]",      "Version",       "Folder",     "[Jikoku]",   "cbEhyouji",   "ActivePage",
      "udChouseiHTTP", "udChouseiSNTP", "udChien",    "udGosa",     "edtJisa",     "udGyou",
      "rbHTTP",        "rbJapan",       "rbFennick1", "rbFennick2", "edtFennick1", "edtFennick2",
      "cbSetuzokuT",   "cbProxy",       "edtProxy",   "edtPort",    "cbNoCkProxy", "cbSeimitsu",
      "cbSNTPAuto",    "cbSNTP",        "edtSNTP"};
  EXPECT_EQ(IniOutline(text), order) << text;

  const std::pair<const char*, const char*> values[] = {
      {"cbEhyouji", "0"},  {"ActivePage", "0"}, {"udChouseiHTTP", "500"}, {"udChouseiSNTP", "200"},
      {"udChien", "300"},  {"udGosa", "60"},    {"edtJisa", "0"},         {"udGyou", "100"},
      {"rbHTTP", "0"},     {"rbJapan", "0"},    {"rbFennick1", "1"},      {"rbFennick2", "0"},
      {"edtFennick1", ""}, {"edtFennick2", ""}, {"cbSetuzokuT", "1"},     {"cbProxy", "0"},
      {"edtProxy", ""},    {"edtPort", ""},     {"cbNoCkProxy", "0"},     {"cbSNTPAuto", "1"},
      {"cbSNTP", "0"},
  };
  for (const auto& [key, value] : values) EXPECT_EQ(ReadIni(ini, "Jikoku", key), value) << key;
  EXPECT_EQ(ReadIni(ini, "Header", "Version"), kProgramVersion);
  EXPECT_EQ(ReadIni(ini, "Header", "Folder"), FolderText(copy));
}

TEST(SettingsFile, SpinValuesOutOfRangeAreWrittenBackAtTheNearerBound) {
  struct Row {
    const char* key;
    const char* in_file;
    const char* written;
  };
  const Row rows[] = {
      {"udGosa", "900", "600"},
      {"udChouseiHTTP", "-9999", "-5000"},
      {"udChouseiSNTP", "5001", "5000"},
      {"udChien", "0", "1"},
      {"udGyou", "-1", "0"},
  };
  ProgramCopy copy;
  std::string ini_text = "[Jikoku]\r\n" + HandGivenServer();
  for (const Row& row : rows) ini_text += std::string(row.key) + "=" + row.in_file + "\r\n";
  WriteFileBytes(copy / "Horalux.ini", ini_text);

  Process app = copy.Start();
  CloseAndWait(app, MainWindowOf(app));
  for (const Row& row : rows)
    EXPECT_EQ(ReadIni(copy / "Horalux.ini", "Jikoku", row.key), row.written) << row.key;
}

TEST(SettingsFile, KeepsLinesItDoesNotKnowAndTheValuesItRead) {
  ProgramCopy copy;
  const std::string comment = Utf8ToCp932("; 手で書いた注記");
  const std::string foreign = Utf8ToCp932("名前=ソフト表示");
  const std::pair<const char*, const char*> kept[] = {
      {"cbEhyouji", "1"},       {"udChouseiHTTP", "-300"},
      {"udChouseiSNTP", "150"}, {"udChien", "45"},
      {"udGosa", "120"},        {"edtJisa", "-3600"},
      {"udGyou", "250"},        {"rbHTTP", "0"},
      {"rbJapan", "1"},         {"rbFennick1", "0"},
      {"rbFennick2", "0"},      {"edtFennick1", "http://a.lan/"},
      {"edtFennick2", "b.lan"}, {"cbSetuzokuT", "0"},
      {"cbProxy", "1"},         {"edtProxy", "proxy.invalid"},
      {"edtPort", "8080"},      {"cbNoCkProxy", "1"},
      {"cbSNTPAuto", "0"},      {"cbSNTP", "1"},
      {"edtSNTP", kServer},
  };

  std::string ini_text = comment + "\r\n[Jikoku]\r\nOwnKey=keep me\r\n";
  for (const auto& [key, value] : kept) ini_text += std::string(key) + "=" + value + "\r\n";
  ini_text += "[Other]\r\n" + foreign + "\r\n";
  WriteFileBytes(copy / "Horalux.ini", ini_text);

  Process app = copy.Start();
  CloseAndWait(app, MainWindowOf(app));

  const fs::path ini = copy / "Horalux.ini";
  const std::string written = ReadFileBytes(ini).value_or("");
  EXPECT_EQ(written.rfind(comment + "\r\n", 0), 0u) << Cp932ToUtf8(written);
  EXPECT_NE(written.find("\r\n[Other]\r\n" + foreign + "\r\n"), std::string::npos)
      << Cp932ToUtf8(written);
  EXPECT_EQ(ReadIni(ini, "Jikoku", "OwnKey"), "keep me");
  for (const auto& [key, value] : kept) EXPECT_EQ(ReadIni(ini, "Jikoku", key), value) << key;
}

TEST(SettingsFile, AStartThatStopsBeforeLoadingLeavesTheFileAsItWas) {
  ProgramCopy copy;
  const std::string ini_text = "[Jikoku]\r\nudGosa=300\r\n" + HandGivenServer();
  WriteFileBytes(copy / "Horalux.ini", ini_text);
  fs::create_directory(copy / "Jikoku.txt");  // the log cannot be read

  Process app = copy.Start();
  MessageBoxWindow error = app.WaitMessageBox();
  EXPECT_NE(error.Text().find("Jikoku.txt"), std::string::npos) << error.Text();
  error.Press("OK");
  CloseAndWait(app, MainWindowOf(app));
  EXPECT_EQ(ReadFileBytes(copy / "Horalux.ini"), ini_text);
}

TEST(SettingsFile, ClosingChangesOnlyTheValuesItWritesAndKeepsTheAttributes) {
  // Bytes that are not Shift-JIS, a UTF-8 mark and a key of someone else's
  // stay as they are; the header and the clamped tolerance are rewritten.
  const std::string before =
      "\xEF\xBB\xBF; \x82 \xFF\r\n[Header]\r\nVersion = Ver0.1\r\nFolder=x\r\n[Jikoku]\r\n"
      "Foreign=\x82\x81\r\nudGosa=900\r\n" +
      HandGivenServer() + "[Other]\r\nk=\x82\r\n";
  struct Row {
    DWORD attributes;
    bool written;
  } rows[] = {{0, true}, {FILE_ATTRIBUTE_HIDDEN, true}, {FILE_ATTRIBUTE_READONLY, false}};
  for (const Row& row : rows) {
    ProgramCopy copy;
    const fs::path ini = copy / "Horalux.ini";
    WriteFileBytes(ini, before);
    if (row.attributes) {
      ASSERT_TRUE(SetFileAttributesW(ini.c_str(), row.attributes));
    }

    Process app = copy.Start();
    Window main = MainWindowOf(app);
    main.Close();
    if (!row.written) {
      MessageBoxWindow error = app.WaitMessageBox();
      EXPECT_EQ(error.Text(), "設定書込エラー\r\n設定項目が .iniファイルに書き込めませんでした。");
      error.Press("OK");
    }
    main.WaitGone();
    EXPECT_EQ(app.WaitExit(), 0u);

    std::string after = before;
    if (row.written) {
      after.replace(after.find("Ver0.1"), 6, kProgramVersion);
      after.replace(after.find("Folder=x") + 7, 1, FolderText(copy));
      after.replace(after.find("udGosa=900") + 7, 3, "600");
      const std::size_t other = after.find("[Other]");
      const std::size_t sntp = after.find("edtSNTP=");
      // The keys the file did not have go at the end of their section.
      std::string added;
      for (const char* key :
           {"cbEhyouji=0",  "ActivePage=0",  "udChouseiHTTP=500", "udChouseiSNTP=200",
            "udChien=300",  "edtJisa=0",     "udGyou=100",        "rbHTTP=0",
            "rbJapan=0",    "rbFennick1=1",  "rbFennick2=0",      "edtFennick1=",
            "edtFennick2=", "cbSetuzokuT=1", "cbProxy=0",         "edtProxy=",
            "edtPort=",     "cbNoCkProxy=0", "cbSeimitsu=1",      "cbSNTPAuto=0"})
        added += std::string(key) + "\r\n";
      ASSERT_LT(sntp, other);
      after.insert(other, added);
    }
    EXPECT_EQ(ReadFileBytes(ini), after) << row.attributes;
    EXPECT_EQ(GetFileAttributesW(ini.c_str()) & row.attributes, row.attributes);
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// Under Wine every token is elevated, as the logon task's is. A settings
// folder or a Jikoku.txt made a link to elsewhere is not written through;
// the connection test and the close say so as for a file they cannot write.
TEST(SettingsFolder, AnElevatedRunWritesNothingThroughALink) {
  auto servers = Responder(std::vector<std::string>{"127.0.0.61", "127.0.0.62"});
  servers->answer_all(tools::SntpAnswer::TrueTime());
  for (const bool folder_link : {true, false}) {
    MachineWhereHoraluxNeverRan machine;
    ProgramCopy copy("[Jikoku]\r\ncbSNTP=0\r\n", {.portable = !folder_link});
    const fs::path elsewhere = copy.dir().MakeFolder("elsewhere");
    WriteFileBytes(elsewhere / "Jikoku.txt", OldLog());
    fs::create_directories(machine.folder().parent_path());
    const fs::path folder = folder_link ? machine.folder() : copy.folder();
    const fs::path link = folder_link ? folder : folder / "Jikoku.txt";
    Linux("ln -s {} {}", {folder_link ? elsewhere : elsewhere / "Jikoku.txt", link});
    const std::shared_ptr<void> unlink(nullptr, [&](void*) {
      Linux("rm {}", {link});
      PollUntil([&] { return !Exists(link); });
    });
    WaitUntil([&] { return Exists(link); }, "the link");

    Process app = copy.Start();
    Window main = MainWindowOf(app);
    ASSERT_EQ(main.PushButton("接続テスト").Click(Millis(30000)), Settled::Blocked);
    std::vector<std::string> texts{"[" + PathToUtf8(folder) + "\\Jikoku.txt]に書き込めません。"};
    if (folder_link)
      texts.push_back("設定書込エラー\r\n設定項目が .iniファイルに書き込めませんでした。");
    for (const std::string& text : texts) {
      MessageBoxWindow box = app.WaitMessageBox(Millis(30000));
      std::printf("%s\n", box.Text().c_str());
      EXPECT_EQ(box.Text(), text);
      box.Press("OK");
      if (&text == &texts.front()) main.Close();
    }
    EXPECT_EQ(app.WaitExit(), 0u);
    EXPECT_EQ(ReadFileBytes(elsewhere / "Jikoku.txt"), OldLog());
    EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), {}), 1);
  }
}

}  // namespace
}  // namespace horalux::e2e
