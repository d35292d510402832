#include "win32/platform/win_boxes.h"

#include "core/base/version.h"
#include "win32/platform/wide.h"

namespace horalux {

using win32::Widen;

namespace {
// A hidden main window (the resident run) would hide its boxes too: they
// then stand alone and on top, so the user sees them.
HWND OwnerOf(HWND owner, UINT& flags) {
  if (owner && IsWindowVisible(owner)) return owner;
  flags |= MB_TOPMOST;
  return nullptr;
}
}  // namespace

void WinBoxes::message(const std::string& text) {
  UINT flags = MB_OK | MB_SETFOREGROUND;
  HWND owner = OwnerOf(owner_, flags);
  MessageBoxW(owner, Widen(text).c_str(), Widen(kProgramTitle).c_str(), flags);
}

bool WinBoxes::question(const std::string& title, const std::string& text, bool yes_is_default) {
  UINT flags = MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND |
               (yes_is_default ? MB_DEFBUTTON1 : MB_DEFBUTTON2);
  HWND owner = OwnerOf(owner_, flags);
  return MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), flags) == IDYES;
}

void WinBoxes::error(const std::string& text) {
  UINT flags = MB_OK | MB_ICONERROR | MB_SETFOREGROUND;
  HWND owner = OwnerOf(owner_, flags);
  MessageBoxW(owner, Widen(text).c_str(), Widen(kProgramTitle).c_str(), flags);
}

void WinBoxes::notice(Icon icon, const std::string& title, const std::string& text) {
  UINT flags = MB_OK | MB_SETFOREGROUND | (icon == Icon::Error ? MB_ICONERROR : MB_ICONINFORMATION);
  HWND owner = OwnerOf(owner_, flags);
  MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), flags);
}

}  // namespace horalux
