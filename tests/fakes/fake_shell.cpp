#include "tests/fakes/fake_shell.h"

#include <cctype>

namespace horalux::fakes {
namespace {
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

std::string FakeShell::special_folder(SpecialFolderId id) {
  auto it = folders.find(id);
  return it == folders.end() ? std::string() : it->second;
}

LinkSave FakeShell::write_link(const std::string& link_path, const ShellLink& link) {
  if (!link_object) return LinkSave::NoLinkObject;
  if (!files_.write(link_path, "[link]" + link.target + "|" + link.arguments))
    return LinkSave::SaveFailed;
  links_[Upper(link_path)] = link;
  return LinkSave::Saved;
}

std::optional<ShellLink> FakeShell::read_link(const std::string& link_path) {
  auto it = links_.find(Upper(link_path));
  if (it == links_.end() || !files_.has_file(link_path)) return std::nullopt;
  return it->second;
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
