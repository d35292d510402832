// Start-up registration, the desktop shortcut and the setup of Horalux.exe
// under Wine: the links it writes into the shell folders (which the test
// session redirects under the build folder), read back with lnkinfo, and the
// logon task, whose file the Task Scheduler keeps in the system folder.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/base/version.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/sync_checks.h"
#include "tests/e2e/tray_driver.h"
#include "tools/lib/sntp_responder.h"
#include "core/install/logon_task.h"
#include "win32/install/win_elevated_launch.h"
#include "win32/install/win_file_security.h"
#include "win32/install/win_task_service.h"
#include "win32/platform/win_user_token.h"

namespace horalux::e2e {
namespace {

namespace fs = std::filesystem;

constexpr char kStartupBox[] = "コンピュータ起動時にインターネットから時刻を取り込む";
constexpr char kSetupFirst[] =
    "コンピュータ起動時に時刻を修正するには、Program Files へのセットアップが必要です。";
// What Answer gives for the boxes of the registration and the setup.
const std::string kOffered = "(setup offered)\n";
const std::string kRegistered = "Horaluxをコンピュータ起動時に動作させます。\n";
const std::string kGone = "コンピュータ起動時の動作を解除しました。\n";
const std::string kStartSetup = "セットアップを開始してよろしいですか？\n";
const std::vector<std::string> kRegister = {"アクション(&A)", "スタートアップ登録(&T)"};

fs::path StartupLink() {
  return ShellFolder(CSIDL_STARTUP) / L"Horalux.lnk";
}

// This user's logon task, and the file Wine keeps of it.
std::string TaskName() {
  return LogonTaskName(WinUserToken().user_sid());
}
fs::path TaskFile() {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  return fs::path(system) / L"Tasks" / L"Orvane" / L"HoraLux" / PathFromUtf8(TaskName());
}

// Removes what a test may leave, whatever it leaves undone: links, and a
// folder under Program Files with this user's logon task that starts it.
struct Sweeper {
  std::vector<fs::path> links;
  fs::path installed = {};
  ~Sweeper() {
    std::error_code ignored;
    for (const auto& link : links) fs::remove(link, ignored);
    if (installed.empty()) return;
    WinTaskService().delete_task(kLogonTaskFolder, TaskName());
    fs::remove_all(installed, ignored);
  }
};

// The process that started `pid`; 0 when it cannot be told.
DWORD ParentOf(DWORD pid) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !parent;
       more = Process32NextW(snapshot, &entry))
    if (entry.th32ProcessID == pid) parent = entry.th32ParentProcessID;
  CloseHandle(snapshot);
  return parent;
}

// A folder of this test under the prefix's Program Files.
fs::path ProgramFilesFolder() {
  return ShellFolder(CSIDL_PROGRAM_FILES) /
         (L"HoraluxE2E-" + std::to_wstring(GetCurrentProcessId()));
}

// Answers the boxes one action shows, up to the message that ends it: the
// setup offer is declined (the copies lie outside Program Files), any other
// question is accepted. Their texts, a line each, the offer as kOffered.
std::string Answer(const Process& app) {
  for (std::string said;;) {
    MessageBoxWindow box = app.WaitMessageBox();
    const bool offer = box.Text().starts_with(kSetupFirst);
    said += offer ? kOffered : box.Text() + "\n";
    if (box.ButtonCaptions().size() == 1) {
      box.Press("OK");
      return said;
    }
    box.Press(offer ? "いいえ" : "はい");
  }
}

TEST(StartupRegistration, MenuAndSpaceWriteTheLinkRemoveItAndASecondRegistrationAsks) {
  Sweeper sweep{{StartupLink()}};
  fs::remove(StartupLink());
  ProgramCopy copy;
  Process app;
  Window main = copy.StartWindow(app);
  Window box = main.CheckBox(kStartupBox);
  EXPECT_FALSE(box.Checked());

  main.ChooseMenu(kRegister);
  EXPECT_EQ(Answer(app), kOffered + kRegistered);
  EXPECT_TRUE(box.Checked());
  ASSERT_TRUE(fs::exists(StartupLink()));
  const std::string info = LnkInfo(StartupLink());
  EXPECT_EQ(LnkField(info, "Local path"), PathToUtf8(copy.exe())) << info;
  EXPECT_EQ(LnkField(info, "Working directory"), PathToUtf8(copy.folder())) << info;
  EXPECT_EQ(LnkField(info, "Command line arguments"), "-R") << info;
  const auto link_bytes = ReadFileBytes(StartupLink());

  // Space on the box does what the mouse does; a link that appeared
  // meanwhile makes ticking the box ask before replacing it.
  auto space = [&] {
    box.Post(WM_KEYDOWN, VK_SPACE, 0);
    box.Post(WM_KEYUP, VK_SPACE, 0xC0000001);
  };
  const struct {
    std::function<void()> act;
    std::string said;
    bool registered;
  } steps[] = {
      {space, kGone, false},
      {space, kOffered + kRegistered, true},
      {[&] {
         main.ChooseMenu({"アクション(&A)", "スタートアップ解除(&K)"});
       },
       kGone, false},
      {[&] {
         WriteFileBytes(StartupLink(), link_bytes.value_or(""));
         EXPECT_EQ(box.Click(), Settled::Blocked);
       },
       kOffered + "既にHoralux.lnk が存在します。\r\n上書きしますか？\n" + kRegistered, true},
  };
  for (const auto& step : steps) {
    step.act();
    EXPECT_EQ(Answer(app), step.said);
    EXPECT_EQ(box.Checked(), step.registered);
    EXPECT_EQ(fs::exists(StartupLink()), step.registered);
  }
  main.Close();
  EXPECT_EQ(app.WaitExit(), 0u);
}

// Points one of the user's shell folders elsewhere for the test's time.
struct ShellFolderRedirect {
  static constexpr wchar_t kKey[] =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  const wchar_t* name;
  DWORD type = REG_EXPAND_SZ, size = sizeof saved;
  wchar_t saved[MAX_PATH] = {};
  ShellFolderRedirect(const wchar_t* value, const std::wstring& folder) : name(value) {
    RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, saved, &size);
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_EXPAND_SZ, folder.c_str(),
                    static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  }
  ~ShellFolderRedirect() { RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, type, saved, size); }
};

TEST(StartupRegistration, AStartupFolderOnAMissingDriveFailsAndSaysSo) {
  ProgramCopy copy;
  ShellFolderRedirect nowhere(L"Startup", L"Q:\\nowhere\\Startup");
  Process app;
  Window main = copy.StartWindow(app);
  main.ChooseMenu(kRegister);
  EXPECT_EQ(Answer(app), kOffered + "ショートカットの作成に失敗しました。\n");
  // No success message follows.
  EXPECT_FALSE(PollUntil([&] { return !app.MessageBoxes().empty(); }, Millis(1500)));
  EXPECT_FALSE(main.CheckBox(kStartupBox).Checked());
  main.Close();
  EXPECT_EQ(app.WaitExit(), 0u);
}

// The setup window's target field: the one field of it that can be typed in.
Window TargetField(const Window& setup) {
  for (const auto& edit : setup.Controls({.cls = "Edit"}))
    if (!(GetWindowLongW(edit.handle(), GWL_STYLE) & ES_READONLY)) return edit;
  throw DriverError("no target field in\n" + setup.DescribeTree());
}

// Accepts the setup offered at start-up; its window.
Window OpenSetup(const Process& app) {
  MessageBoxWindow offer = app.WaitMessageBox();
  EXPECT_TRUE(offer.Text().starts_with(std::string(kProgramTitle) + kProgramVersion +
                                       " のセットアップを今すぐ行いますか？"));
  offer.Press("はい");
  return app.WaitWindow({.title = "Horaluxセットアップ"});
}

// Starts the setup into `target`: what its boxes said, from the question on.
std::string StartSetup(const Process& app, const Window& setup, const std::string& target) {
  TargetField(setup).SetText(target);
  EXPECT_EQ(setup.PushButton("開始").Click(), Settled::Blocked);
  return Answer(app);
}

TEST(Setup, InstallsIntoProgramFilesRegistersTheTaskAndHandsOverToTheInstalledCopy) {
  const fs::path programs_link = ShellFolder(CSIDL_PROGRAMS) / L"Horalux.lnk";
  const fs::path target = ProgramFilesFolder();
  Sweeper sweep{{StartupLink(), programs_link}, target};
  ProgramCopy copy({}, {.offer_setup = true});
  WriteFileBytes(copy.folder() / L"Readme.txt", "readme");
  // A link of an earlier registration: the task takes its place.
  WriteFileBytes(StartupLink(), "old");
  Process app = copy.Start();
  EXPECT_EQ(StartSetup(app, OpenSetup(app), PathToUtf8(target)),
            kStartSetup + kTitleWithVersion + " のセットアップが終了しました。\n");
  const std::string hand_over = Answer(app);
  EXPECT_TRUE(hand_over.starts_with("現在起動中のHoraluxを終了させ、")) << hand_over;

  // The installed copy shows its window while this one waits, then this one ends.
  Window installed;
  WaitUntil(
      [&] {
        for (const auto& w : TopWindows({.cls = kMainWindowClass}))
          if (w.ProcessId() != app.Id()) installed = w;
        return bool(installed);
      },
      "the installed copy's window", Millis(30000));
  EXPECT_EQ(ImagePath(installed.ProcessId()), target / L"Horalux.exe");
  // Every Wine process is elevated: the setup copy has the shell's process
  // (the desktop's explorer) start the installed one, never starts it itself.
  const DWORD parent = ParentOf(installed.ProcessId());
  const std::wstring starter = ImagePath(parent).filename().wstring();
  std::printf(
      "hand-over: the installed copy (process %lu) was started by %ls (process %lu), "
      "not by the setup copy (process %lu)\n",
      installed.ProcessId(), starter.c_str(), parent, app.Id());
  EXPECT_NE(parent, app.Id());
  EXPECT_EQ(_wcsicmp(starter.c_str(), L"explorer.exe"), 0) << starter;
  EXPECT_TRUE(app.WaitExit(Millis(40000)).has_value());
  EXPECT_FALSE(fs::exists(target / L"Clock2Ju.$$$"));
  EXPECT_EQ(ReadFileBytes(target / L"Readme.txt"), "readme");
  EXPECT_EQ(ReadFileBytes(target / L"Horalux.exe"), ReadFileBytes(copy.exe()));
  // Wine keeps the task's file but not its trigger, action or run level; the
  // folder it made is the task's. Nor does it keep access lists.
  std::printf("install folder's access lists: %s\n", WinFileSecurity().access_lists_apply()
                                                         ? "checked, only administrators"
                                                         : "not applicable (Wine keeps none)");
  EXPECT_TRUE(fs::exists(TaskFile()));
  EXPECT_FALSE(fs::exists(StartupLink()));
  const std::string programs = LnkInfo(programs_link);
  EXPECT_EQ(LnkField(programs, "Local path"), PathToUtf8(target / L"Horalux.exe")) << programs;

  // The installed copy is not the test's child: end it through its window.
  installed.Close();
  installed.WaitGone();
}

// The Programs folder the user's registry names is a link (made in the
// prefix as Linux does, since CreateSymbolicLinkW makes nothing under Wine)
// to another folder: the elevated setup writes nothing there, says so, and
// installs all the same.
TEST(Setup, AProgramsFolderThatIsALinkGetsNothingAndTheSetupSaysSo) {
  const fs::path target = ProgramFilesFolder();
  Sweeper sweep{{StartupLink()}, target};
  ScratchDir scratch;
  const fs::path elsewhere = scratch.MakeFolder("Elsewhere"), link = scratch / "Programs";
  WriteFileBytes(elsewhere / L"Horalux.lnk", "theirs");
  Linux("ln -s {} {}", {elsewhere, link});
  WaitUntil([&] { return fs::exists(link); }, "the link");
  ShellFolderRedirect programs(L"Programs", link.wstring());
  ProgramCopy copy({}, {.offer_setup = true});
  Process app = copy.Start();
  const std::string said = StartSetup(app, OpenSetup(app), PathToUtf8(target));
  EXPECT_EQ(Answer(app), std::string(kTitleWithVersion) + " のセットアップが終了しました。\n");
  app.WaitMessageBox();  // the hand-over's: the installed copy is all this test wants
  app.Kill();
  std::printf("setup said: %sthe link's target still holds only Horalux.lnk = \"%s\"\n",
              said.c_str(), ReadFileBytes(elsewhere / L"Horalux.lnk").value_or("").c_str());
  EXPECT_EQ(said,
            kStartSetup + "ショートカットを作成できませんでした。\r\n" + PathToUtf8(link) + "\\\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), {}), 1);
  EXPECT_EQ(ReadFileBytes(elsewhere / L"Horalux.lnk"), "theirs");
  EXPECT_EQ(ReadFileBytes(target / L"Horalux.exe"), ReadFileBytes(copy.exe()));
  Linux("rm {}", {link});
  PollUntil([&] { return !fs::exists(link); });
}

TEST(StartupRegistration,
     AnElevatedCopyRegistersOrRemovesTheTaskBesideARunningOneAndEndsWithItsCode) {
  const fs::path installed = ProgramFilesFolder();
  Sweeper sweep{{}, installed};
  ProgramCopy copy;
  fs::create_directories(installed);
  fs::copy_file(copy.exe(), installed / L"Horalux.exe");
  // The first copy runs without the marker that would let a second one start.
  ProgramCopy first({}, {.allow_second = false});
  WaitNoRunningCopy();
  Process app;
  Window main = first.StartWindow(app);

  struct Row {
    fs::path program;
    const char* parameter;
    int code;
    bool task_after;
  } rows[] = {
      {installed / L"Horalux.exe", "/task:register", 0, true},
      {copy.exe(), "/task:register", 2, true},  // only a copy under Program Files
      {installed / L"Horalux.exe", "/task:remove", 0, false},
  };
  WinElevatedLauncher launcher;
  for (const Row& row : rows) {
    const ElevatedStart run = launcher.run_and_wait(PathToUtf8(row.program), row.parameter,
                                                    PathToUtf8(row.program.parent_path()), 60000);
    EXPECT_EQ(run.outcome, ElevatedOutcome::Started) << row.parameter;
    EXPECT_EQ(run.exit_code, row.code) << row.parameter;
    EXPECT_EQ(fs::exists(TaskFile()), row.task_after) << row.parameter;
  }
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(app.MessageBoxes().empty());
  main.Close();
  EXPECT_EQ(app.WaitExit(), 0u);
}

TEST(Setup, IntoItsOwnFolderStopsWithTheSameFolderMessage) {
  ProgramCopy copy({}, {.offer_setup = true});
  Process app = copy.Start();
  Window setup = OpenSetup(app);
  SavePicture(setup, "setup-96dpi");
  const int start_width = setup.PushButton("開始").ScreenRect().width();
  MoveToScreenOfDpi(setup, 144);
  EXPECT_EQ(setup.PushButton("開始").ScreenRect().width(), start_width * 3 / 2);
  SavePicture(setup, "setup-144dpi");
  EXPECT_EQ(StartSetup(app, setup, PathToUtf8(copy.folder())),
            kStartSetup + "受け手と送り手のフォルダーが同じです。\r\nセットアップを中止します。\n");
  app.Kill();
}

TEST(StartupRegistration, TheStartupLinkOpenedByTheShellRunsOneResidentRun) {
  Sweeper sweep{{StartupLink()}};
  auto responder = Responder("127.0.0.40");
  responder->answer_all(tools::SntpAnswer::TrueTime());
  ProgramCopy copy("[Jikoku]\r\nudChien=2\r\ncbSNTP=1\r\nedtSNTP=127.0.0.40\r\n");
  {
    Process app;
    Window main = copy.StartWindow(app);
    main.ChooseMenu(kRegister);
    EXPECT_EQ(Answer(app), kOffered + kRegistered);
    main.Close();
    ASSERT_EQ(app.WaitExit(), 0u);
  }
  // The run starts in the program's own folder: let it start beside any other copy.
  WriteFileBytes(copy.folder() / L"Clock2Ju.$$$", "");
  ASSERT_GT(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, StartupLink().c_str(),
                                                    nullptr, nullptr, SW_SHOWNORMAL)),
            32);
  // Wine gives no process for a link: find the run by its application window.
  std::optional<Window> run;
  WaitUntil([&] { return bool(run = RunningCopy()); }, "the run the link started");
  const DWORD pid = run->ProcessId();
  const HANDLE process =
      OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(ImagePath(pid), copy.exe());
  bool counted_down = false;
  const bool ended = PollUntil(
      [&] {
        if (auto icon = FindTrayIcon(pid))
          counted_down |= icon->Tip().value_or("").starts_with("Horalux_動作遅延待機中");
        return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
      },
      Millis(30000));
  if (!ended) TerminateProcess(process, 1);
  CloseHandle(process);
  ASSERT_TRUE(ended) << "the resident run did not end by itself";
  EXPECT_TRUE(counted_down);
  EXPECT_EQ(responder->request_count(), 2);
}

}  // namespace
}  // namespace horalux::e2e
