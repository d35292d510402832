#pragma once
#include <windows.h>

#include <functional>

namespace horalux::win32 {

// Pixels of the 96-dpi layout at the screen's resolution, so the window keeps
// its proportions on high-resolution displays.
int Dpi();
int Scale(int pixels96);
RECT Scale(RECT r);

// A top-level window moved to a screen of another resolution: every child
// window under it keeps its place and size in proportion, within its own
// parent, and gets the font that `font_of` picks for it; the window takes
// the rectangle the system suggests and is drawn again.
void RescaleWindow(HWND window, int from, int to, const RECT& suggested,
                   const std::function<HFONT(HWND)>& font_of);

}  // namespace horalux::win32
