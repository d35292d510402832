#pragma once
#include <map>
#include <string>
#include <vector>

#include "core/platform/shell.h"
#include "tests/fakes/memory_files.h"

namespace horalux::fakes {

// A shell whose links are files of a MemoryFiles: a written link is a file
// there, so existence checks and deletions see it. Started processes are
// recorded; each gets its main window after window_after_polls checks.
class FakeShell : public Shell {
 public:
  explicit FakeShell(MemoryFiles& files) : files_(files) {}
  std::string special_folder(SpecialFolderId id) override;
  std::optional<std::string> link_bytes(const ShellLink& link) override;
  void notify_created(const std::string& path) override { notified.push_back(path); }
  std::optional<ShellLink> read_link(const std::string& link_path) override;
  ProcessId start_process(const std::string& program, const std::string& parameters,
                          const std::string& working_folder) override;
  bool start_through_shell(const std::string& program, const std::string& parameters,
                           const std::string& working_folder) override;
  bool other_process_has_window(const std::string& window_class, const std::string& title) override;
  bool process_running(ProcessId) override { return running; }
  bool process_has_window(ProcessId process, const std::string& window_class) override;
  bool show_properties(const std::string& path, std::uintptr_t) override;
  std::optional<ShellVersion> shell_version() override { return version; }

  // Folders without trailing "\"; an empty text stands for a folder the shell lacks.
  std::map<SpecialFolderId, std::string> folders = {
      {SpecialFolderId::Desktop, "C:\\Users\\u\\Desktop"},
      {SpecialFolderId::Programs, "C:\\Users\\u\\Start Menu\\Programs"},
      {SpecialFolderId::Startup, "C:\\Users\\u\\Start Menu\\Programs\\Startup"},
      {SpecialFolderId::StartMenu, "C:\\Users\\u\\Start Menu"},
      {SpecialFolderId::LocalAppData, "C:\\Users\\u\\AppData\\Local"},
      {SpecialFolderId::ProgramFiles, "C:\\Program Files"},
      {SpecialFolderId::ProgramFilesX86, "C:\\Program Files (x86)"}};
  bool link_object = true;
  struct Started {
    std::string program, parameters, working_folder;
    bool marker_present = false;  // the hand-over marker was there at the start
    bool by_shell = false;        // started through the shell's process
  };
  std::vector<Started> started;
  std::string marker_to_check;  // path checked at each start
  bool start_fails = false;
  bool shell_reachable = true;
  bool running = true;
  int window_after_polls = 0;  // -1: never
  int window_polls = 0;
  std::vector<std::string> properties_shown;
  std::vector<std::string> notified;  // files the shell was told were made
  std::optional<ShellVersion> version = ShellVersion{6, 0, 2900};

 private:
  MemoryFiles& files_;
};

}  // namespace horalux::fakes
