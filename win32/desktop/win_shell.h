#pragma once
#include "core/platform/shell.h"
#include "win32/platform/com_ptr.h"

namespace horalux {

// The shell through shell32 and the shell link object. The program makes one
// of these per run: it holds the COM library for the run.
class WinShell : public Shell {
 public:
  std::string special_folder(SpecialFolderId id) override;
  std::optional<std::string> link_bytes(const ShellLink& link) override;
  void notify_created(const std::string& path) override;
  std::optional<ShellLink> read_link(const std::string& link_path) override;
  ProcessId start_process(const std::string& program, const std::string& parameters,
                          const std::string& working_folder) override;
  bool start_through_shell(const std::string& program, const std::string& parameters,
                           const std::string& working_folder) override;
  bool other_process_has_window(const std::string& window_class, const std::string& title) override;
  bool process_running(ProcessId process) override;
  bool process_has_window(ProcessId process, const std::string& window_class) override;
  bool show_properties(const std::string& path, std::uintptr_t owner) override;
  std::optional<ShellVersion> shell_version() override;

 private:
  win32::ComSession com_;
};

}  // namespace horalux
