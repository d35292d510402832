#pragma once
#include <windows.h>

#include "core/controls/contrast_colors.h"
#include "core/platform/color_scheme.h"

namespace horalux::win32 {

// The colour a control draws with now: a fixed colour gives way to its
// system colour while `scheme` reports high contrast; a system colour is the
// system's value at this moment. No scheme: the colour as it is.
inline COLORREF ShownColor(TColor color, ColorScheme* scheme) {
  color = ContrastColor(color, scheme && scheme->high_contrast());
  return (color & 0x80000000u) ? GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

}  // namespace horalux::win32
