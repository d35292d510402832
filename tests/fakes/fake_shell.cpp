#include "tests/fakes/fake_shell.h"

namespace horalux::fakes {

std::string FakeShell::special_folder(SpecialFolderId id) {
  auto it = folders.find(id);
  return it == folders.end() ? std::string() : it->second;
}

std::optional<std::string> FakeShell::link_bytes(const ShellLink& link) {
  if (!link_object) return std::nullopt;
  return "[link]" + link.target + "|" + link.arguments + "|" + link.working_folder;
}

std::optional<ShellLink> FakeShell::read_link(const std::string& link_path) {
  const std::optional<std::string> bytes = files_.read(link_path);
  if (!bytes || bytes->rfind("[link]", 0) != 0) return std::nullopt;
  const std::size_t bar = bytes->find('|'), second = bytes->find('|', bar + 1);
  return ShellLink{bytes->substr(6, bar - 6), bytes->substr(bar + 1, second - bar - 1),
                   bytes->substr(second + 1)};
}

ProcessId FakeShell::start_process(const std::string& program, const std::string& parameters,
                                   const std::string& working_folder) {
  if (start_fails) return 0;
  started.push_back({program, parameters, working_folder,
                     !marker_to_check.empty() && files_.has_file(marker_to_check)});
  return 100 + static_cast<ProcessId>(started.size());
}

bool FakeShell::start_through_shell(const std::string& program, const std::string& parameters,
                                    const std::string& working_folder) {
  if (!shell_reachable) return false;
  started.push_back({program, parameters, working_folder,
                     !marker_to_check.empty() && files_.has_file(marker_to_check), true});
  return true;
}

bool FakeShell::other_process_has_window(const std::string& window_class,
                                         const std::string& title) {
  return title == "Horalux" && process_has_window(0, window_class);
}

bool FakeShell::process_has_window(ProcessId, const std::string& window_class) {
  ++window_polls;
  return window_class == "TfmJikoku" && window_after_polls >= 0 &&
         window_polls > window_after_polls;
}

bool FakeShell::show_properties(const std::string& path, std::uintptr_t) {
  properties_shown.push_back(path);
  return true;
}

}  // namespace horalux::fakes
