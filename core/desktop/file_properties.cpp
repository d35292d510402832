#include "core/desktop/file_properties.h"

namespace horalux {

bool ShellShowsProperties(Shell& shell) {
  const auto version = shell.shell_version();
  return version && version->major >= 5;
}

void ShowFileProperties(Shell& shell, Boxes& boxes, const std::string& exe_path,
                        std::uintptr_t owner) {
  if (!ShellShowsProperties(shell)) {
    boxes.message(kPropertiesUnavailable);
    return;
  }
  // A sheet that does not open has nothing to say beyond what the shell shows.
  shell.show_properties(exe_path, owner);
}

}  // namespace horalux
