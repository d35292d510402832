#include "core/app/window_hand_over.h"

#include "core/base/path_text.h"
#include "core/install/hand_over.h"

namespace horalux {

std::optional<WindowPage> HandedOverPage(const std::vector<std::string>& params) {
  for (const std::string& param : params) {
    if (param == kShowWindowParameter) return WindowPage::Basic;
    if (param == kShowLogParameter) return WindowPage::Log;
  }
  return std::nullopt;
}

bool WindowHandOver::Show(WindowPage page) {
  if (p_.token.elevation() != Elevation::Elevated) {
    p_.host.show_window();
    return true;
  }
  // This copy keeps its title until it ends: a start in between finds it
  // and ends, where it would open a second window. The copy started here
  // does not look.
  const std::string program = p_.files.executable_path();
  if (!p_.shell.start_through_shell(
          program, page == WindowPage::Log ? kShowLogParameter : kShowWindowParameter,
          FolderPartOf(program)) ||
      !WaitForOtherCopyWindow(p_.clock, p_.shell))
    p_.boxes.message(kStartFromStartMenuText);
  return false;
}

}  // namespace horalux
