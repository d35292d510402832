#pragma once
#include <cstdint>
#include <string>

#include "core/platform/boxes.h"
#include "core/platform/shell.h"

namespace horalux {

// The system's properties sheet of the program's own file. Older shells
// (major version below 5) lack the verb: the menu hides its item, and a
// request that gets through anyway is declined with a message.
inline constexpr char kPropertiesUnavailable[] =
    "Windows2000 の一部及び、WindowsXP以降でない場合、\r\nこの機能は使えません。\r\n中止します。";

// True when the shell answers its version query with major version 5 or more.
bool ShellShowsProperties(Shell& shell);

// Opens the properties sheet of `exe_path`, owned by the window `owner`
// (a handle value), or shows the message above on an older shell.
void ShowFileProperties(Shell& shell, Boxes& boxes, const std::string& exe_path,
                        std::uintptr_t owner);

}  // namespace horalux
