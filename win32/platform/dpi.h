#pragma once
#include <windows.h>

#include <functional>

namespace horalux::win32 {

// Pixels of the 96-dpi layout at the screen's resolution, so the window keeps
// its proportions on high-resolution displays.
int Dpi();
int Scale(int pixels96);
RECT Scale(RECT r);

// Moves and sizes every child window under `parent` from one resolution to
// another in proportion, within its own parent, and gives it the font that
// `font_of` picks for it.
void RescaleChildren(HWND parent, int from, int to, const std::function<HFONT(HWND)>& font_of);

}  // namespace horalux::win32
