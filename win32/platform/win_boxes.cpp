#include "win32/platform/win_boxes.h"

#include "core/app/fm_jikoku.h"
#include "win32/platform/wide.h"

namespace horalux {

using win32::Widen;

void WinBoxes::message(const std::string& text) {
  MessageBoxW(owner_, Widen(text).c_str(), Widen(kProgramTitle).c_str(), MB_OK | MB_SETFOREGROUND);
}

bool WinBoxes::question(const std::string& title, const std::string& text, bool yes_is_default) {
  UINT flags = MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND |
               (yes_is_default ? MB_DEFBUTTON1 : MB_DEFBUTTON2);
  return MessageBoxW(owner_, Widen(text).c_str(), Widen(title).c_str(), flags) == IDYES;
}

void WinBoxes::error(const std::string& text) {
  MessageBoxW(owner_, Widen(text).c_str(), Widen(kProgramTitle).c_str(),
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace horalux
