#pragma once
// Drives Windows programs from outside for the end-to-end tests: starts them,
// finds their windows and controls, reads what they show, presses what a user
// would press, answers their message boxes and takes screenshots. Every wait
// polls against a deadline, so a test never sleeps longer than it must and a
// missing window fails with a description of what was there instead.
//
// Text in and out is UTF-8; the Win32 side is UTF-16. Failures to find or
// reach something throw DriverError, which GoogleTest reports as a failure of
// the running test, so calls can be chained:
//   e2e::ProgramCopy copy("[Jikoku]\r\nudChien=10\r\n");
//   e2e::Process app;
//   auto main = copy.StartWindow(app);
//   main.Control({.cls = "SysTabControl32"}).SelectTab(" アクセス記録 ");
//   main.PushButton("終了").Click();
//   EXPECT_EQ(app.WaitExit(), 0u);
// Like a user, the driver presses only controls that are shown and enabled:
// a control on another tab page needs its tab selected first.

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace horalux::e2e {

using Millis = std::chrono::milliseconds;

// Deadline for anything a program should do promptly, generous for Wine.
inline constexpr Millis kWait{10000};
// How long an action waits for the handler it triggered to finish.
inline constexpr Millis kSettle{5000};
// Interval between two looks of any wait.
inline constexpr Millis kPoll{50};

inline constexpr char kProgramTitle[] = "Horalux";
inline constexpr char kApplicationClass[] = "TApplication";
inline constexpr char kMainWindowClass[] = "TfmJikoku";
inline constexpr char kDialogClass[] = "#32770";

class DriverError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ---- Text ---------------------------------------------------------------

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// Files the program writes are Shift-JIS; assertions compare UTF-8.
std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);

// ---- Waiting ------------------------------------------------------------

// Evaluates `done` every kPoll until it holds or `timeout` has passed; the
// calling thread's messages are pumped meanwhile. True when it held.
bool PollUntil(const std::function<bool()>& done, Millis timeout = kWait);
// As PollUntil, but throws DriverError naming `what` on timeout.
void WaitUntil(const std::function<bool()>& done, std::string_view what, Millis timeout = kWait);

// ---- Folders and files --------------------------------------------------

// Folder of the running test executable; the programs under test are built beside it.
std::filesystem::path BuildDir();
// A built executable beside the test executable; throws when it is missing.
std::filesystem::path BuiltExe(std::string_view name);
std::filesystem::path HoraluxExe();
// The same program on a simulated clock.
std::filesystem::path HoraluxSimExe();

std::optional<std::string> ReadFileBytes(const std::filesystem::path& file);
// When a file was last written (100-ns units of the system clock) and its
// size: a replaced file shows a new stamp. nullopt when it is missing.
struct FileStamp {
  std::uint64_t written = 0;
  std::uint64_t size = 0;
  bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> StampOf(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes);
// A Shift-JIS text file as UTF-8; nullopt when it cannot be read.
std::optional<std::string> ReadCp932File(const std::filesystem::path& file);
// One value of an ini file, read the way the program reads it; nullopt when
// the section or the key is missing (an empty value is "").
std::optional<std::string> ReadIni(const std::filesystem::path& file, std::string_view section,
                                   std::string_view key);

// A fresh folder under %TEMP%, removed again when the object goes (kept when
// the environment variable HORALUX_E2E_KEEP is set, for looking at it after).
class ScratchDir {
 public:
  // `tag` names the folder; empty takes the running test's name.
  explicit ScratchDir(std::string_view tag = {});
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // A path inside the folder; `name` is UTF-8 and may contain sub-folders.
  std::filesystem::path operator/(std::string_view name) const;
  // Creates a sub-folder (with parents) and returns its path.
  std::filesystem::path MakeFolder(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

// UTF-8 path text and back.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

// Copies a built executable into `folder` (created when missing) under the
// name `as`, giving the program a folder of its own; returns the copy.
std::filesystem::path CopyProgram(const std::filesystem::path& folder,
                                  std::string_view built = "Horalux.exe",
                                  std::string_view as = "Horalux.exe");
// Writes the local-folder marker beside a program copy, so that it keeps its
// settings and log in its own folder instead of the machine-wide one.
void MakePortable(const std::filesystem::path& folder, bool offer_setup = false);

// ---- Windows ------------------------------------------------------------

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

// Buttons of every kind share the class "Button"; their style tells them apart.
enum class ButtonKind { Any, Push, CheckBox, Radio, GroupBox };

// Top-level windows. Unset fields match anything.
struct WindowQuery {
  std::optional<std::string> cls{};
  std::optional<std::string> title{};
  std::optional<DWORD> pid{};
  bool visible_only = true;
};

// Descendant controls of a window, on every tab page, shown or not.
struct ControlQuery {
  std::optional<std::string> cls{};
  std::optional<std::string> text{};
  std::optional<int> id{};
  ButtonKind kind = ButtonKind::Any;
  bool visible_only = false;
};

// How an action's handler in the driven program came to rest.
enum class Settled {
  Done,     // the handler returned (or the window went away)
  Blocked,  // it opened a modal box or menu and waits for it
  Busy,     // still running when the settle time ran out
  Queued,   // a menu closed and queued its command, which runs shortly after
};

class Window {
 public:
  Window() = default;
  explicit Window(HWND hwnd) : hwnd_(hwnd) {}

  HWND handle() const { return hwnd_; }
  bool Exists() const;
  std::string Text() const;
  std::string ClassName() const;
  int Id() const;
  DWORD ProcessId() const;
  // Shown, with all its parents.
  bool Visible() const;
  bool Enabled() const;
  // BM_GETCHECK of a check box or radio button.
  bool Checked() const;
  Size ClientSize() const;
  // The outer rectangle in screen coordinates.
  Rect ScreenRect() const;
  // Where the client area's top-left corner lies on the screen.
  Point ClientOrigin() const;
  // The parent window; an empty Window for a top-level window.
  Window Parent() const;
  // The next sibling in z-order (creation order for controls), optionally of a class.
  Window NextSibling(std::optional<std::string_view> cls = std::nullopt) const;

  // Controls below this window, depth first in creation order.
  std::vector<Window> Controls(const ControlQuery& query = {}) const;
  // The one control matching; nullopt when none; throws when several match.
  std::optional<Window> FindControl(const ControlQuery& query) const;
  // Waits for exactly one control to match.
  Window Control(const ControlQuery& query, Millis timeout = kWait) const;
  Window Control(std::string_view cls, std::string_view text, Millis timeout = kWait) const;
  Window PushButton(std::string_view text, Millis timeout = kWait) const;
  Window CheckBox(std::string_view text, Millis timeout = kWait) const;
  Window RadioButton(std::string_view text, Millis timeout = kWait) const;

  // Multi-line edit views.
  int EditLineCount() const;
  int EditFirstVisibleLine() const;
  // Replaces the text, as typing would (the control sends EN_CHANGE).
  void SetText(std::string_view utf8) const;

  // Tab controls (SysTabControl32); indexes count the tabs shown.
  int TabCount() const;
  int SelectedTab() const;
  std::vector<std::string> TabCaptions() const;
  // Changes tabs the way a click does, with the change notifications.
  Settled SelectTab(int index, Millis settle = kSettle) const;
  Settled SelectTab(std::string_view caption, Millis settle = kSettle) const;

  // Presses a button (BM_CLICK) after bringing its window forward.
  Settled Click(Millis settle = kSettle) const;
  // Chooses a menu-bar command by its captions, e.g. {"ファイル(&F)", "終了(&X)"}.
  // Where the menu cannot be read from outside (Wine), it is opened and
  // walked with its access keys instead, which needs a "&" in each caption;
  // the result is then Queued, and a test waits for the command's effect.
  Settled ChooseMenu(const std::vector<std::string>& path, Millis settle = kSettle) const;
  // Queues a message (e.g. WM_POWERBROADCAST) without waiting.
  void Post(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const;
  // Sends a message and waits for its handler; throws when it does not return in time.
  LRESULT Send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0, Millis timeout = kWait) const;
  // Sends a message the way actions do; see Settled.
  Settled Deliver(UINT message, WPARAM wparam, LPARAM lparam, Millis settle = kSettle) const;
  // Asks the window to close, as its close box does.
  void Close() const;
  void WaitGone(Millis timeout = kWait) const;

  // One line for messages: class, text, id, shown or hidden.
  std::string Describe() const;
  // This window and all its controls, one per line, for failure messages.
  std::string DescribeTree() const;

  bool operator==(const Window&) const = default;
  explicit operator bool() const { return hwnd_ != nullptr; }

 private:
  HWND hwnd_ = nullptr;
};

// Top-level windows in z-order, the topmost first.
std::vector<Window> TopWindows(const WindowQuery& query);
Window WaitTopWindow(const WindowQuery& query, Millis timeout = kWait);

// Real key presses (SendInput), which set the key state a program reads: the
// keys of `chord` pressed in order and released in reverse.
void PressKeys(const std::vector<WORD>& chord);
// The control with the keyboard focus in the thread of `window`; null when none.
HWND FocusedControl(const Window& window);

// A standard message or question box ("#32770").
class MessageBoxWindow {
 public:
  explicit MessageBoxWindow(Window window) : window_(window) {}
  const Window& window() const { return window_; }
  std::string Title() const;
  // The message text, with its line breaks.
  std::string Text() const;
  std::vector<std::string> ButtonCaptions() const;
  // Presses the button with this caption and waits for the box to go. Access
  // key marks are ignored ("はい" finds "はい(&Y)", "Yes" finds "&Yes"), and
  // OK, Yes, No and Cancel are found by their ids in any language.
  void Press(std::string_view caption, Millis timeout = kWait) const;

 private:
  Window window_;
};

// Message boxes of a process, the topmost first.
std::vector<MessageBoxWindow> MessageBoxes(DWORD pid);
MessageBoxWindow WaitMessageBox(DWORD pid, Millis timeout = kWait);

// ---- Processes ----------------------------------------------------------

class Process {
 public:
  using Environment = std::vector<std::pair<std::string, std::string>>;

  // Starts `exe` with `args` in `work_dir`; `env` adds or replaces variables.
  // The process and everything it starts end when this object goes.
  static Process Start(const std::filesystem::path& exe, const std::vector<std::string>& args,
                       const std::filesystem::path& work_dir, const Environment& env = {});

  Process() = default;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  ~Process();

  DWORD Id() const { return pid_; }
  HANDLE handle() const { return process_; }
  bool Running() const;
  // The exit code once the process has ended; nullopt if it still runs after `timeout`.
  std::optional<DWORD> WaitExit(Millis timeout = kWait) const;
  std::optional<DWORD> ExitCode() const;
  // Ends the process and everything it started.
  void Kill();

  // Windows of this process; the query's pid is ignored.
  std::vector<Window> TopWindows(WindowQuery query = {}) const;
  // Waits for a window; fails at once, with the exit code, if the process ends first.
  Window WaitWindow(WindowQuery query, Millis timeout = kWait) const;
  std::vector<MessageBoxWindow> MessageBoxes() const;
  MessageBoxWindow WaitMessageBox(Millis timeout = kWait) const;
  // All windows of the process with their controls, for failure messages.
  std::string DescribeWindows() const;

 private:
  static Process StartOnce(const std::filesystem::path& exe, const std::vector<std::string>& args,
                           const std::filesystem::path& work_dir, const Environment& env);
  void Release();

  HANDLE process_ = nullptr;
  HANDLE job_ = nullptr;
  DWORD pid_ = 0;
};

// Starts the program (by default the shipped build) in `work_dir`.
Process StartHoralux(const std::vector<std::string>& args, const std::filesystem::path& work_dir,
                     const std::filesystem::path& exe = HoraluxExe());

// ---- Running copies -----------------------------------------------------

// The hidden application window a running copy is found by (visible or not);
// nullopt when no copy runs.
std::optional<Window> RunningCopy();
// Waits until no copy of the program runs (another test's, say), so that the
// single-instance rule meets only the copies a test starts itself.
void WaitNoRunningCopy(Millis timeout = Millis(60000));
// Writes "Clock2Ju.$$$" into a working folder: a copy started there starts
// even while another one runs.
void AllowSecondCopy(const std::filesystem::path& work_dir);

// A copy of a built program in the folder "prog" of a scratch folder, with
// the settings file given (none when empty), started from the scratch
// folder.
struct CopyOptions {
  // The marker that keeps the settings and the log beside the program.
  bool portable = true;
  // The marker also offers the setup at start-up.
  bool offer_setup = false;
  // The marker in the working folder that lets the copy start beside another.
  bool allow_second = true;
  std::string_view built = "Horalux.exe";
  // The copy's file name, which also names its settings file.
  std::string_view as = "Horalux.exe";
};
class ProgramCopy {
 public:
  explicit ProgramCopy(std::string_view ini = {}, const CopyOptions& options = {});
  Process Start(const std::vector<std::string>& args = {}) const;
  // Starts the copy and waits for its main window.
  Window StartWindow(Process& app) const;
  const std::filesystem::path& folder() const { return folder_; }
  const std::filesystem::path& exe() const { return exe_; }
  const ScratchDir& dir() const { return dir_; }
  // A file in the program's folder.
  std::filesystem::path operator/(std::string_view name) const;
  // "Jikoku.txt" as UTF-8, and the settings file's bytes; nullopt when missing.
  std::optional<std::string> Log() const;
  std::optional<std::string> Settings() const;

 private:
  ScratchDir dir_;
  std::filesystem::path folder_, exe_, ini_;
};

// ---- Shell ----------------------------------------------------------------

// A shell folder by its CSIDL (the test session redirects Desktop, Programs,
// Startup and Start Menu under the build folder).
std::filesystem::path ShellFolder(int csidl);
// What lnkinfo (a Linux program, which Wine starts directly) prints for a link.
std::string LnkInfo(const std::filesystem::path& link);
// Starts "sh -c `command`" on the Linux side, "{}" naming each path there.
void Linux(std::string command, const std::vector<std::filesystem::path>& paths);
// The value lnkinfo prints after "label :" on the first line of that label.
std::string LnkField(const std::string& info, const std::string& label);
// The program file a process runs; empty when it cannot be read.
std::filesystem::path ImagePath(DWORD pid);

// ---- Notification area --------------------------------------------------

inline constexpr char kWineSystemTrayTitle[] = "Wine System Tray";

// The tips of the icons shown in Wine's own notification-area window (Xvfb
// has no tray), in the tray's order; empty while no icon shows. Explorer
// keeps each icon's tip in a tooltip window of its own process.
std::vector<std::string> ShownTrayTips();

// ---- Screen resolution ----------------------------------------------------

// Tells a program's top-level window it now lies on a screen of `dpi` pixels
// per inch (WM_DPICHANGED), suggesting a frame grown in proportion from 96.
void MoveToScreenOfDpi(const Window& window, int dpi);

// ---- Screenshots --------------------------------------------------------

// A folder beside the test executable for pictures kept after the run
// ("e2e-artifacts"), created when missing.
std::filesystem::path ArtifactsDir();

// Writes the whole screen, or one window's rectangle as it shows on the
// screen, to a 24-bit .bmp file; returns the image size.
Size SaveScreenshot(const std::filesystem::path& bmp);
Size SaveScreenshot(const std::filesystem::path& bmp, const Window& window);
// Repaints a window and keeps its picture as `name`.bmp among the artifacts.
void SavePicture(const Window& window, const std::string& name);
// The colour shown on the screen at a point of a window's client area.
COLORREF ShownColorAt(const Window& window, Point client);

}  // namespace horalux::e2e
