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

void RescaleWindow(HWND window, int from, int to, const RECT& suggested,
                   const std::function<HFONT(HWND)>& font_of) {
  struct Walk {
    int from, to;
    const std::function<HFONT(HWND)>& font_of;
  } walk{from, to, font_of};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        auto* w = reinterpret_cast<Walk*>(param);
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        MoveWindow(child, MulDiv(r.left, w->to, w->from), MulDiv(r.top, w->to, w->from),
                   MulDiv(r.right - r.left, w->to, w->from),
                   MulDiv(r.bottom - r.top, w->to, w->from), FALSE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(w->font_of(child)), FALSE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
  SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window, nullptr, TRUE);
}

}  // namespace horalux::win32
