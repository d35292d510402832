#pragma once
#include <windows.h>

namespace horalux::win32 {

// Pixels of the 96-dpi layout at the screen's resolution, so the window keeps
// its proportions on high-resolution displays.
int Dpi();
int Scale(int pixels96);
RECT Scale(RECT r);

}  // namespace horalux::win32
