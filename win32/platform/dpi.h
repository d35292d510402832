#pragma once
#include <windows.h>

#include <functional>

namespace horalux::win32 {

// The pixels per inch `window` is drawn at: those of the monitor it is on,
// as Windows tells a per-monitor aware program; the system's where Windows
// cannot tell a window's own (before Windows 10 1607) or there is no window.
int DpiOfWindow(HWND window);

// One top-level window's resolution, and the one way its layout, given in
// 96-dpi pixels, becomes pixels at it. A window takes its resolution from
// itself once it exists, so it opens right on whichever monitor it opens,
// and lays itself out again when Windows moves it to a monitor of another
// resolution or the user changes the scaling.
class WindowDpi {
 public:
  // `client` is the client area's size in pixels at a resolution; the frame
  // around it has `style`, `ex_style` and, with `menu`, a menu bar.
  WindowDpi(std::function<SIZE(int dpi)> client, DWORD style, DWORD ex_style, bool menu)
      : client_(std::move(client)), style_(style), ex_style_(ex_style), menu_(menu) {}

  int dpi() const { return dpi_; }
  int Scale(int pixels96) const { return MulDiv(pixels96, dpi_, 96); }
  RECT Scale(const RECT& r96) const;
  DWORD style() const { return style_; }
  DWORD ex_style() const { return ex_style_; }
  // The window's outer size at `dpi`.
  SIZE Frame(int dpi) const;
  // Takes the window's own resolution; its procedure calls this as soon as
  // it is made, before it makes its fonts and controls.
  void Take(HWND window) { dpi_ = DpiOfWindow(window); }
  // Sizes the window so that its client area is exactly the one for its
  // resolution, whatever the frame and the menu bar take.
  void FitClient(HWND window) const;

  // A move to a monitor of another resolution. Windows first asks the size
  // (WM_GETDPISCALEDSIZE: the frame for the new resolution), then tells the
  // change (WM_DPICHANGED): `refont` makes the window's fonts for the new
  // resolution, every child keeps its place and size in proportion within
  // its parent and gets the font `font_of` picks for it, and the window
  // takes the suggested rectangle. True when
  // `msg` was one of the two; `*result` is then the answer.
  bool OnMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result,
                 const std::function<void(int dpi)>& refont,
                 const std::function<HFONT(HWND)>& font_of);

 private:
  std::function<SIZE(int)> client_;
  DWORD style_;
  DWORD ex_style_;
  bool menu_;
  int dpi_ = 96;
};

// Makes a top-level window owned by `owner` and laid out by `layout`,
// centred over `centre_over` (the screen without one), at the resolution of
// the monitor it opens on; its procedure gets `param` and takes that
// resolution before it makes its controls. nullptr, with the system's
// reason as the last error, when Windows makes none.
HWND CreateScaledWindow(WindowDpi& layout, const wchar_t* cls, const wchar_t* title, HWND owner,
                        HWND centre_over, void* param);

}  // namespace horalux::win32
