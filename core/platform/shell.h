#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace horalux {

// The shell's special folders of the current user, by their shell numbers.
enum class SpecialFolderId : int {
  Desktop = 0,
  Programs = 2,
  Startup = 7,
  StartMenu = 11,
  LocalAppData = 28,     // the user's own data, which only they and administrators write
  ProgramFiles = 38,     // where standard users cannot write
  ProgramFilesX86 = 42,  // where 32-bit programs go, as closed to standard users
};

// What a shortcut file records: the program it starts, its command-line
// arguments (empty when none) and the folder it starts in.
struct ShellLink {
  std::string target;
  std::string arguments;
  std::string working_folder;
};

// A process this program started; 0 stands for none.
using ProcessId = std::uint32_t;

struct ShellVersion {
  int major = 0;
  int minor = 0;
  int build = 0;
};

// The Windows shell: special folders, shortcut files, starting programs.
// Paths are UTF-8 Windows paths.
class Shell {
 public:
  virtual ~Shell() = default;
  // The folder's file-system path as the shell gives it (a trailing "\" is
  // not guaranteed); empty text when the shell has no such folder.
  virtual std::string special_folder(SpecialFolderId id) = 0;
  // The bytes of a shortcut file made in memory, for the caller to write
  // wherever it has checked. Only the three fields of the link are set: no
  // icon, description, hot key or show command. Nothing when the shell link
  // object or one of its interfaces is unavailable or cannot save.
  virtual std::optional<std::string> link_bytes(const ShellLink& link) = 0;
  // Tells the shell's windows that the file was made, as a save by the
  // shell link object itself would.
  virtual void notify_created(const std::string& path) = 0;
  // The fields of an existing shortcut file; nothing when it cannot be read.
  virtual std::optional<ShellLink> read_link(const std::string& link_path) = 0;
  // Starts a program with a parameter text (empty for none) in the given
  // working folder; 0 when it could not be started.
  virtual ProcessId start_process(const std::string& program, const std::string& parameters,
                                  const std::string& working_folder) = 0;
  // Starts a program through the shell's own process, so that it runs with
  // the shell's token (unelevated) whatever this process holds; gives no
  // process. False when the shell cannot be reached.
  virtual bool start_through_shell(const std::string& program, const std::string& parameters,
                                   const std::string& working_folder) = 0;
  // True when a top-level window of that class and title, shown or not,
  // belongs to a process other than this one.
  virtual bool other_process_has_window(const std::string& window_class,
                                        const std::string& title) = 0;
  // True while the process runs.
  virtual bool process_running(ProcessId process) = 0;
  // True when the process owns a top-level window of that class, shown or not.
  virtual bool process_has_window(ProcessId process, const std::string& window_class) = 0;
  // Opens the system's properties sheet of a file (the "properties" verb);
  // owner is the owning window's handle value, 0 for none. False on failure.
  virtual bool show_properties(const std::string& path, std::uintptr_t owner) = 0;
  // Version of the shell library; nothing when the query fails.
  virtual std::optional<ShellVersion> shell_version() = 0;
};

}  // namespace horalux
