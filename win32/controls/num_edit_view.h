#pragma once
#include <windows.h>

#include <string>

#include "core/controls/num_edit.h"
#include "core/platform/beeper.h"
#include "core/platform/clipboard.h"
#include "core/platform/color_scheme.h"

namespace horalux::win32 {

// Window classes of the numeric fields, so a driver can find them.
inline constexpr const wchar_t* kNumEditClass = L"TOrNumEdit";
inline constexpr const wchar_t* kNEditClass = L"TOrNEdit";

// A self-drawn numeric field showing and editing `model`; a TOrNEdit model
// gets focus colours and keyboard movement between fields. The model, the
// clipboard and the beeper must outlive the window. `id` is the child id.
// The field draws every colour through `scheme` (none: as they are), which
// must outlive it too.
HWND CreateNumEdit(TOrNumEdit& model, HWND parent, RECT r, HFONT font, Clipboard& clipboard,
                   Beeper& beeper, int id = 0, DWORD extra_style = WS_TABSTOP,
                   ColorScheme* scheme = nullptr);

// Arrows to the right of `field`, the width of a standard up-down, that step
// `model` (whose associate is the field's model) by its increment within its
// range. They follow the enabled states of the spin and of the field.
HWND CreateNumSpin(TUpDown& model, HWND field);

// Background and text colours of the field while it has no focus.
void SetNumEditColors(HWND field, TColor background, TColor text);

// What a screen reader names the field (its row's caption) and tells after
// the name (the unit and the range after it); UTF-8.
void SetNumEditAccessibleText(HWND field, const std::string& name, const std::string& description);

}  // namespace horalux::win32
