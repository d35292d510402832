// Start-up registration, the desktop shortcut and the setup of Horalux.exe
// under Wine: the links it writes into the shell folders (which the test
// session redirects under the build folder), read back with lnkinfo, and the
// logon task, whose file the Task Scheduler keeps in the system folder.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/base/version.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/sync_checks.h"
#include "tests/e2e/tray_driver.h"
#include "tools/lib/sntp_responder.h"
#include "core/desktop/logon_task.h"
#include "win32/desktop/win_elevated_launch.h"
#include "win32/desktop/win_task_service.h"
#include "win32/platform/win_user_token.h"

namespace horalux::e2e {
namespace {

namespace fs = std::filesystem;

constexpr char kStartupBox[] = "コンピュータ起動時にインターネットから時刻を取り込む";
constexpr char kRegistered[] = "Horaluxをコンピュータ起動時に動作させます。";
constexpr char kSetupFirst[] =
    "コンピュータ起動時に時刻を修正するには、Program Files へのセットアップが必要です。";

fs::path ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
    throw DriverError("no shell folder " + std::to_string(csidl));
  return fs::path(path);
}

fs::path StartupLink() {
  return ShellFolder(CSIDL_STARTUP) / L"Horalux.lnk";
}

// Removes the links a test may make, whatever it leaves undone.
struct LinkSweeper {
  std::vector<fs::path> links;
  ~LinkSweeper() {
    std::error_code ignored;
    for (const auto& link : links) fs::remove(link, ignored);
  }
};

std::string TaskName() {
  return LogonTaskName(WinUserToken().user_sid());
}

fs::path TaskFile() {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  return fs::path(system) / L"Tasks" / PathFromUtf8(TaskName());
}

// Removes this user's logon task and a folder under Program Files, whatever
// the test leaves undone.
struct TaskSweeper {
  fs::path folder;
  ~TaskSweeper() {
    WinTaskService().delete_task(TaskName());
    std::error_code ignored;
    if (!folder.empty()) fs::remove_all(folder, ignored);
  }
};

// A folder of this test under the prefix's Program Files.
fs::path ProgramFilesFolder() {
  return ShellFolder(CSIDL_PROGRAM_FILES) /
         (L"HoraluxE2E-" + std::to_wstring(GetCurrentProcessId()));
}

// A copy outside Program Files: the registration offers setup first; this
// declines it and answers the registration's own box.
std::string RegisterDecliningSetup(const Process& app, const Window& main) {
  main.ChooseMenu({"アクション(&A)", "スタートアップ登録(&T)"});
  MessageBoxWindow offer = app.WaitMessageBox();
  EXPECT_TRUE(offer.Text().starts_with(kSetupFirst)) << offer.Text();
  offer.Press("いいえ");
  MessageBoxWindow box = app.WaitMessageBox();
  const std::string text = box.Text();
  box.Press("OK");
  return text;
}

// What lnkinfo (a Linux program, which Wine starts directly) prints for a link.
std::string LnkInfo(const fs::path& link) {
  std::string unix_path = PathToUtf8(link);
  if (!unix_path.starts_with("Z:\\") && !unix_path.starts_with("z:\\"))
    throw DriverError("not on the Linux root drive: " + unix_path);
  unix_path = unix_path.substr(2);
  for (char& c : unix_path)
    if (c == '\\') c = '/';
  ScratchDir dir("lnkinfo");
  const fs::path out_file = dir / "out.txt";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW(out_file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                           CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) throw DriverError("cannot write " + PathToUtf8(out_file));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = out;
  std::wstring command = L"Z:\\usr\\bin\\lnkinfo \"" + Widen(unix_path) + L"\"";
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &si, &pi);
  CloseHandle(out);
  if (!started) throw DriverError("lnkinfo does not start");
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  // Wine gives no process to wait for: the output is whole once its fields are there.
  std::string text;
  PollUntil([&] {
    text = ReadFileBytes(out_file).value_or("");
    return text.find("Working directory") != std::string::npos ||
           text.find("Unable") != std::string::npos;
  });
  Sleep(200);
  text = ReadFileBytes(out_file).value_or(text);
  return text;
}

// The value lnkinfo prints after "label :" on the line that starts with label.
std::string LnkField(const std::string& info, const std::string& label) {
  for (std::size_t at = info.find(label); at != std::string::npos; at = info.find(label, at + 1)) {
    const std::size_t colon = info.find(':', at);
    const std::size_t end = info.find('\n', at);
    if (colon == std::string::npos || colon > end) continue;
    std::string value = info.substr(colon + 1, end - colon - 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.erase(0, 1);
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
    return value;
  }
  return "(no " + label + ")";
}

// Chooses a menu command and answers the one box it shows with OK.
std::string ChooseAndRead(const Process& app, const Window& main,
                          const std::vector<std::string>& path) {
  main.ChooseMenu(path);
  MessageBoxWindow box = app.WaitMessageBox();
  const std::string text = box.Text();
  box.Press("OK");
  return text;
}

TEST(StartupRegistration, MenuAndSpaceWriteTheLinkRemoveItAndASecondRegistrationAsks) {
  LinkSweeper sweep{{StartupLink()}};
  fs::remove(StartupLink());
  ProgramCopy copy;
  Process app = copy.Start();
  Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
  Window box = main.CheckBox(kStartupBox);
  EXPECT_FALSE(box.Checked());

  EXPECT_EQ(RegisterDecliningSetup(app, main), kRegistered);
  EXPECT_TRUE(box.Checked());
  ASSERT_TRUE(fs::exists(StartupLink()));
  const std::string info = LnkInfo(StartupLink());
  EXPECT_EQ(LnkField(info, "Local path"), PathToUtf8(copy.exe())) << info;
  EXPECT_EQ(LnkField(info, "Working directory"), PathToUtf8(copy.folder())) << info;
  EXPECT_EQ(LnkField(info, "Command line arguments"), "-R") << info;
  const auto link_bytes = ReadFileBytes(StartupLink());

  // Space on the box does what the mouse does: it removes the link, then writes it again.
  auto space = [&] {
    box.Post(WM_KEYDOWN, VK_SPACE, 0);
    box.Post(WM_KEYUP, VK_SPACE, 0xC0000001);
    MessageBoxWindow said = app.WaitMessageBox();
    if (said.Text().starts_with(kSetupFirst)) {
      said.Press("いいえ");  // this copy lies outside Program Files
      said = app.WaitMessageBox();
    }
    const std::string text = said.Text();
    said.Press("OK");
    return text;
  };
  EXPECT_EQ(space(), "コンピュータ起動時の動作を解除しました。");
  EXPECT_FALSE(box.Checked());
  EXPECT_FALSE(fs::exists(StartupLink()));
  EXPECT_EQ(space(), kRegistered);
  EXPECT_TRUE(box.Checked());
  EXPECT_TRUE(fs::exists(StartupLink()));

  EXPECT_EQ(ChooseAndRead(app, main, {"アクション(&A)", "スタートアップ解除(&K)"}),
            "コンピュータ起動時の動作を解除しました。");
  EXPECT_FALSE(box.Checked());
  EXPECT_FALSE(fs::exists(StartupLink()));

  // A link that appeared meanwhile: ticking the box asks before replacing it.
  WriteFileBytes(StartupLink(), link_bytes.value_or(""));
  ASSERT_EQ(box.Click(), Settled::Blocked);
  MessageBoxWindow offer = app.WaitMessageBox();
  EXPECT_TRUE(offer.Text().starts_with(kSetupFirst)) << offer.Text();
  offer.Press("いいえ");
  MessageBoxWindow ask = app.WaitMessageBox();
  EXPECT_EQ(ask.Text(), "既にHoralux.lnk が存在します。\r\n上書きしますか？");
  ask.Press("はい");
  MessageBoxWindow done = app.WaitMessageBox();
  EXPECT_EQ(done.Text(), kRegistered);
  done.Press("OK");
  EXPECT_TRUE(box.Checked());

  main.Close();
  EXPECT_EQ(app.WaitExit(), 0u);
}

// Points the user's Startup folder elsewhere for the test's time.
class StartupRedirect {
 public:
  explicit StartupRedirect(const std::wstring& folder) {
    RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
    DWORD size = sizeof saved_;
    RegQueryValueExW(key_, L"Startup", nullptr, &type_, reinterpret_cast<BYTE*>(saved_), &size);
    saved_size_ = size;
    Set(REG_EXPAND_SZ, folder.c_str(), static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  }
  ~StartupRedirect() {
    Set(type_, saved_, saved_size_);
    RegCloseKey(key_);
  }

 private:
  void Set(DWORD type, const wchar_t* value, DWORD bytes) {
    RegSetValueExW(key_, L"Startup", 0, type, reinterpret_cast<const BYTE*>(value), bytes);
  }
  static constexpr const wchar_t* kKey =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  HKEY key_ = nullptr;
  DWORD type_ = REG_EXPAND_SZ;
  wchar_t saved_[MAX_PATH] = {};
  DWORD saved_size_ = 0;
};

TEST(StartupRegistration, AStartupFolderOnAMissingDriveFailsAndSaysSo) {
  ProgramCopy copy;
  StartupRedirect nowhere(L"Q:\\nowhere\\Startup");
  Process app = copy.Start();
  Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
  EXPECT_EQ(RegisterDecliningSetup(app, main), "ショートカットの作成に失敗しました。");
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

// Accepts the first-showing offer and starts the setup into `target`.
Window OpenSetup(const Process& app) {
  MessageBoxWindow offer = app.WaitMessageBox();
  EXPECT_TRUE(offer.Text().starts_with(std::string(kProgramTitle) + kProgramVersion +
                                       " のセットアップを今すぐ行いますか？"));
  offer.Press("はい");
  return app.WaitWindow({.title = "Horaluxセットアップ"});
}

Window StartSetup(const Process& app, const std::string& target,
                  std::optional<Window> opened = std::nullopt) {
  Window setup = opened ? *opened : OpenSetup(app);
  TargetField(setup).SetText(target);
  EXPECT_EQ(setup.PushButton("開始").Click(), Settled::Blocked);
  MessageBoxWindow ask = app.WaitMessageBox();
  EXPECT_EQ(ask.Text(), "セットアップを開始してよろしいですか？");
  ask.Press("はい");
  return setup;
}

std::wstring ImagePath(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (process) QueryFullProcessImageNameW(process, 0, path, &size);
  if (process) CloseHandle(process);
  return path;
}

TEST(Setup, InstallsIntoProgramFilesRegistersTheTaskAndHandsOverToTheInstalledCopy) {
  const fs::path programs_link = ShellFolder(CSIDL_PROGRAMS) / L"Horalux.lnk";
  LinkSweeper sweep{{StartupLink(), programs_link}};
  const fs::path target = ProgramFilesFolder();
  TaskSweeper tasks{target};
  ProgramCopy copy({}, {.offer_setup = true});
  WriteFileBytes(copy.folder() / L"Readme.txt", "readme");
  // A link of an earlier registration: the task takes its place.
  WriteFileBytes(StartupLink(), "old");
  Process app = copy.Start();
  StartSetup(app, PathToUtf8(target));

  MessageBoxWindow finished = app.WaitMessageBox();
  EXPECT_EQ(finished.Text(), std::string(kTitleWithVersion) + " のセットアップが終了しました。");
  finished.Press("OK");
  MessageBoxWindow hand_over = app.WaitMessageBox();
  EXPECT_TRUE(hand_over.Text().starts_with("現在起動中のHoraluxを終了させ、")) << hand_over.Text();
  hand_over.Press("OK");

  // The installed copy shows its window while this one waits, then this one ends.
  Window installed;
  WaitUntil(
      [&] {
        for (const auto& w : TopWindows({.cls = kMainWindowClass}))
          if (w.ProcessId() != app.Id()) installed = w;
        return bool(installed);
      },
      "the installed copy's window", Millis(30000));
  EXPECT_EQ(fs::path(ImagePath(installed.ProcessId())), target / L"Horalux.exe");
  EXPECT_TRUE(app.WaitExit(Millis(40000)).has_value());
  EXPECT_FALSE(fs::exists(target / L"Clock2Ju.$$$"));
  EXPECT_EQ(ReadFileBytes(target / L"Readme.txt"), "readme");
  EXPECT_EQ(ReadFileBytes(target / L"Horalux.exe"), ReadFileBytes(copy.exe()));
  // Wine keeps the task's file but not its trigger, action or run level.
  EXPECT_TRUE(fs::exists(TaskFile()));
  EXPECT_FALSE(fs::exists(StartupLink()));
  const std::string programs = LnkInfo(programs_link);
  EXPECT_EQ(LnkField(programs, "Local path"), PathToUtf8(target / L"Horalux.exe")) << programs;

  // The installed copy is not the test's child: end it through its window.
  installed.Close();
  installed.WaitGone();
}

TEST(StartupRegistration,
     AnElevatedCopyRegistersOrRemovesTheTaskBesideARunningOneAndEndsWithItsCode) {
  const fs::path installed = ProgramFilesFolder();
  TaskSweeper tasks{installed};
  ProgramCopy copy;
  fs::create_directories(installed);
  fs::copy_file(copy.exe(), installed / L"Horalux.exe");
  // The first copy runs without the marker that would let a second one start.
  ProgramCopy first({}, {.allow_second = false});
  WaitNoRunningCopy();
  Process app = first.Start();
  Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});

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
  StartSetup(app, PathToUtf8(copy.folder()), setup);
  MessageBoxWindow box = app.WaitMessageBox();
  EXPECT_EQ(box.Text(), "受け手と送り手のフォルダーが同じです。\r\nセットアップを中止します。");
  box.Press("OK");
  app.Kill();
}

TEST(StartupRegistration, TheStartupLinkOpenedByTheShellRunsOneResidentRun) {
  LinkSweeper sweep{{StartupLink()}};
  auto responder = Responder("127.0.0.40");
  responder->answer_all(tools::SntpAnswer::TrueTime());
  ProgramCopy copy("[Jikoku]\r\nudChien=2\r\ncbSNTP=1\r\nedtSNTP=127.0.0.40\r\n");
  {
    Process app = copy.Start();
    Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
    EXPECT_EQ(RegisterDecliningSetup(app, main), kRegistered);
    main.Close();
    ASSERT_EQ(app.WaitExit(), 0u);
  }
  // The run starts in the program's own folder: let it start beside any other copy.
  WriteFileBytes(copy.folder() / L"Clock2Ju.$$$", "");
  SHELLEXECUTEINFOW open{};
  open.cbSize = sizeof open;
  open.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
  const std::wstring link = StartupLink().wstring();
  open.lpFile = link.c_str();
  open.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(ShellExecuteExW(&open));
  // Wine gives no process for a link: find the run by its application window.
  if (!open.hProcess) {
    std::optional<Window> run;
    WaitUntil([&] { return bool(run = RunningCopy()); }, "the run the link started");
    open.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION,
                                FALSE, run->ProcessId());
  }
  ASSERT_NE(open.hProcess, nullptr);
  const DWORD pid = GetProcessId(open.hProcess);
  EXPECT_EQ(fs::path(ImagePath(pid)), copy.exe());
  bool counted_down = false;
  const bool ended = PollUntil(
      [&] {
        if (auto icon = FindTrayIcon(pid))
          counted_down |= icon->Tip().value_or("").starts_with("Horalux_動作遅延待機中");
        return WaitForSingleObject(open.hProcess, 0) == WAIT_OBJECT_0;
      },
      Millis(30000));
  if (!ended) TerminateProcess(open.hProcess, 1);
  CloseHandle(open.hProcess);
  ASSERT_TRUE(ended) << "the resident run did not end by itself";
  EXPECT_TRUE(counted_down);
  EXPECT_EQ(responder->request_count(), 2);
}

}  // namespace
}  // namespace horalux::e2e
