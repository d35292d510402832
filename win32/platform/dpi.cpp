#include "win32/platform/dpi.h"

#include "win32/platform/handle.h"
#include "win32/platform/system32_library.h"

namespace horalux::win32 {
namespace {

// Windows 10 1607 and later answer per window.
template <typename Fn>
Fn FromUser32(const char* name) {
  return LoadedExport<Fn>(L"user32.dll", name);
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

int SystemDpi() {
  ScreenDC dc;
  const int value = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
  return value > 0 ? value : 96;
}

}  // namespace

int DpiOfWindow(HWND window) {
  static const auto get_dpi = FromUser32<GetDpiForWindowFn>("GetDpiForWindow");
  // 0 for a handle that is no window.
  if (window && get_dpi)
    if (const UINT dpi = get_dpi(window)) return static_cast<int>(dpi);
  return SystemDpi();
}

RECT WindowDpi::Scale(const RECT& r) const {
  return RECT{Scale(r.left), Scale(r.top), Scale(r.right), Scale(r.bottom)};
}

SIZE WindowDpi::Frame(int dpi) const {
  static const auto adjust = FromUser32<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  const SIZE client = client_(dpi);
  RECT r{0, 0, client.cx, client.cy};
  // The frame's metrics at that resolution, not at the system's.
  if (!adjust || !adjust(&r, style_, menu_, ex_style_, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&r, style_, menu_, ex_style_);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void WindowDpi::FitClient(HWND window) const {
  const SIZE want = client_(dpi_);
  RECT client, outer;
  if (!GetClientRect(window, &client) || !GetWindowRect(window, &outer)) return;
  if (client.right == want.cx && client.bottom == want.cy) return;
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + want.cx - client.right,
               outer.bottom - outer.top + want.cy - client.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool WindowDpi::OnMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result,
                          const std::function<void(int)>& refont,
                          const std::function<HFONT(HWND)>& font_of) {
  if (msg == WM_GETDPISCALEDSIZE) {
    // The frame does not grow in proportion with its contents: the window
    // names its own size, so the client area comes out exact.
    *reinterpret_cast<SIZE*>(lp) = Frame(static_cast<int>(wp));
    *result = TRUE;
    return true;
  }
  if (msg != WM_DPICHANGED) return false;
  *result = 0;
  const int dpi = HIWORD(wp);
  const RECT suggested = *reinterpret_cast<const RECT*>(lp);
  if (dpi <= 0 || dpi == dpi_) return true;
  const int from = dpi_;
  dpi_ = dpi;
  refont(dpi);
  struct Walk {
    int from, to;
    const std::function<HFONT(HWND)>& font_of;
  } walk{from, dpi, font_of};
  // Every control takes its new font before any is moved: a move lays text
  // out, and the old fonts are gone already.
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        auto* w = reinterpret_cast<Walk*>(param);
        if (HFONT font = w->font_of(child))
          SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
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
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
  // Windows has placed the rectangle where the window keeps its place under
  // the pointer, with the size the window asked for.
  SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // The controls were moved without repainting, and a window that clips its
  // children does not invalidate them with itself (MoveWindow, RedrawWindow).
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return true;
}

HWND CreateScaledWindow(WindowDpi& layout, const wchar_t* cls, const wchar_t* title, HWND owner,
                        HWND centre_over, void* param) {
  RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (centre_over) GetWindowRect(centre_over, &around);
  auto place = [&around](SIZE s) {
    return POINT{(around.left + around.right - s.cx) / 2, (around.top + around.bottom - s.cy) / 2};
  };
  // The window opens where its owner is; what resolution it gets there is
  // known only once it exists.
  const SIZE guess = layout.Frame(DpiOfWindow(centre_over));
  const POINT at = place(guess);
  SetLastError(0);
  HWND hwnd = CreateWindowExW(layout.ex_style(), cls, title, layout.style(), at.x, at.y, guess.cx,
                              guess.cy, owner, nullptr, GetModuleHandleW(nullptr), param);
  if (!hwnd) return nullptr;
  layout.Take(hwnd);
  const SIZE size = layout.Frame(layout.dpi());
  if (size.cx != guess.cx || size.cy != guess.cy) {
    const POINT moved = place(size);
    SetWindowPos(hwnd, nullptr, moved.x, moved.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  layout.FitClient(hwnd);
  return hwnd;
}

}  // namespace horalux::win32
