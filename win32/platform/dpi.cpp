#include "win32/platform/dpi.h"

namespace horalux::win32 {

int Dpi() {
  static const int dpi = [] {
    HDC dc = GetDC(nullptr);
    int value = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return value > 0 ? value : 96;
  }();
  return dpi;
}

int Scale(int pixels96) {
  return MulDiv(pixels96, Dpi(), 96);
}

RECT Scale(RECT r) {
  return RECT{Scale(r.left), Scale(r.top), Scale(r.right), Scale(r.bottom)};
}

}  // namespace horalux::win32
