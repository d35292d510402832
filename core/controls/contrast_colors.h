#pragma once
#include "core/controls/controls.h"

namespace horalux {

inline constexpr TColor clWhite = 0x00FFFFFF;
inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clGrayText = 0x80000011;
// The number fields' background while they have the focus: a pale cyan.
inline constexpr TColor clFocusedField = 0x00FFFFEE;

// The colour to draw with: the colour itself, except that under a
// high-contrast scheme every fixed colour gives way to the system colour
// that plays its part, so that the user's scheme decides every colour.
// System colours pass unchanged.
TColor ContrastColor(TColor color, bool high_contrast);

}  // namespace horalux
