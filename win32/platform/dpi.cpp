#include "win32/platform/dpi.h"

#include "win32/platform/handle.h"

namespace horalux::win32 {

int Dpi() {
  static const int dpi = [] {
    ScreenDC dc;
    int value = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
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
