#pragma once
#include <windows.h>

#include <string>

#include "core/platform/color_scheme.h"

namespace horalux::win32 {

inline constexpr const wchar_t* kVersionBoxClass = L"TfmAbout";

// Shows the version box modally, owned by and centred on `owner`, and
// returns when it closes. `program_version` as the program spells it
// ("Ver0.9.9"). It is laid out for the resolution of the monitor it opens
// on, and again for each it is moved to. Its colours go through `colors`
// when given.
void ShowVersionBox(HWND owner, const std::string& program_version, ColorScheme* colors = nullptr);

// The same box, shown but not modal; it destroys itself when it closes.
// Every key press meant for it or its controls goes through
// `VersionBoxPreview` first.
HWND CreateVersionBox(HWND owner, const std::string& program_version,
                      ColorScheme* colors = nullptr);
// True when the message was a key press that closed the box.
bool VersionBoxPreview(HWND box, const MSG& msg);

}  // namespace horalux::win32
