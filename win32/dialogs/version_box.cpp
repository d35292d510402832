#include "win32/dialogs/version_box.h"

#include "core/desktop/version_box.h"
#include "win32/app/fonts.h"
#include "win32/controls/shown_color.h"
#include "win32/platform/handle.h"
#include "win32/platform/wide.h"
#include "win32/platform/window_state.h"

namespace horalux::win32 {
namespace {

constexpr int kCloseId = 1;

struct VersionBox {
  VersionBox(const std::string& version, int dpi_, ColorScheme* colors_)
      : model(version), dpi(dpi_), colors(colors_), name_font(CreateMinchoFont(21, dpi_)) {}
  TfmAbout model;
  int dpi;
  ColorScheme* colors;
  HWND name_panel = nullptr;
  UniqueGdi<HBRUSH> panel_brush;
  UniqueGdi<HFONT> name_font;
  UniqueGdi<HFONT> ui_font{CreateGothicFont(12, false, dpi)};
  HWND tag = nullptr;
  // Last, so that it lets go of the model before the model goes.
  Connection tag_update;
};

HWND Child(HWND parent, const wchar_t* cls, const std::string& text, DWORD style, int dpi, RECT r96,
           HFONT font, int id = 0, DWORD ex_style = 0) {
  HWND hwnd = CreateWindowExW(
      ex_style, cls, Widen(text).c_str(), WS_CHILD | style, MulDiv(r96.left, dpi, 96),
      MulDiv(r96.top, dpi, 96), MulDiv(r96.right - r96.left, dpi, 96),
      MulDiv(r96.bottom - r96.top, dpi, 96), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (hwnd && font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return hwnd;
}

void FormCreate(HWND hwnd, VersionBox& box) {
  HFONT ui = box.ui_font.get();
  int dpi = box.dpi;
  box.name_panel = Child(hwnd, L"STATIC", "Horalux", WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, dpi,
                         RECT{16, 14, 288, 62}, box.name_font.get(), 0, WS_EX_CLIENTEDGE);
  Child(hwnd, L"STATIC", "Version :", WS_VISIBLE | SS_RIGHT, dpi, RECT{64, 78, 148, 94}, ui);
  Child(hwnd, L"STATIC", box.model.lbl_Version.Caption(), WS_VISIBLE | SS_LEFT, dpi,
        RECT{154, 78, 250, 94}, ui);
  box.tag = Child(hwnd, L"STATIC", box.model.lblVerKaku.Caption(), SS_CENTER, dpi,
                  RECT{16, 100, 288, 116}, ui);
  box.tag_update = box.model.lblVerKaku.on_view_update.connect([&box] {
    SetWindowTextW(box.tag, Widen(box.model.lblVerKaku.Caption()).c_str());
    ShowWindow(box.tag, box.model.lblVerKaku.Visible() ? SW_SHOWNA : SW_HIDE);
  });
  HWND close = Child(hwnd, L"BUTTON", box.model.btnClose.Caption(),
                     WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, dpi, RECT{112, 126, 192, 154}, ui,
                     kCloseId);
  SetFocus(close);
}

LRESULT CALLBACK VersionBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* box = WindowState<VersionBox>(hwnd, msg, lp);
  if (!box) return DefWindowProcW(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_CREATE:
      FormCreate(hwnd, *box);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == kCloseId && HIWORD(wp) == BN_CLICKED) DestroyWindow(hwnd);
      return 0;
    case WM_KEYDOWN:
      if (box->model.FormKeyDown(static_cast<int>(wp), GetKeyState(VK_SHIFT) < 0,
                                 GetKeyState(VK_CONTROL) < 0))
        DestroyWindow(hwnd);
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetBkMode(dc, TRANSPARENT);
      if (reinterpret_cast<HWND>(lp) != box->name_panel) {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      // The name panel stays white like a sunken field, black on white.
      SetTextColor(dc, ShownColor(clBlack, box->colors));
      box->panel_brush.reset(CreateSolidBrush(ShownColor(clWhite, box->colors)));
      return reinterpret_cast<LRESULT>(box->panel_brush.get());
    }
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete box;
      return DefWindowProcW(hwnd, msg, wp, lp);
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool RegisterBoxClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = VersionBoxProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kVersionBoxClass;
    return RegisterClassExW(&wc) != 0;
  }();
  return registered;
}

}  // namespace

HWND CreateVersionBox(HWND owner, const std::string& program_version, int dpi,
                      ColorScheme* colors) {
  if (!RegisterBoxClass()) return nullptr;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD ex_style = WS_EX_DLGMODALFRAME;
  int width = TfmAbout::ClientWidth(dpi), height = TfmAbout::ClientHeight(dpi);
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, FALSE, ex_style);
  int w = frame.right - frame.left, h = frame.bottom - frame.top;
  RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner) GetWindowRect(owner, &around);
  int x = around.left + (around.right - around.left - w) / 2;
  int y = around.top + (around.bottom - around.top - h) / 2;
  auto* box = new VersionBox(program_version, dpi, colors);
  HWND hwnd = CreateWindowExW(ex_style, kVersionBoxClass, L"バージョン情報", style, x, y, w, h,
                              owner, nullptr, GetModuleHandleW(nullptr), box);
  if (!hwnd) {
    delete box;
    return nullptr;
  }
  // The frame's metrics may differ from what the estimate assumed.
  RECT client;
  GetClientRect(hwnd, &client);
  int dw = width - client.right, dh = height - client.bottom;
  if (dw || dh) SetWindowPos(hwnd, nullptr, x - dw / 2, y - dh / 2, w + dw, h + dh, SWP_NOZORDER);
  ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

bool VersionBoxPreview(HWND box, const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.hwnd != box && !IsChild(box, msg.hwnd))) return false;
  SendMessageW(box, WM_KEYDOWN, msg.wParam, msg.lParam);
  return !IsWindow(box);
}

void ShowVersionBox(HWND owner, const std::string& program_version, int dpi, ColorScheme* colors) {
  HWND box = CreateVersionBox(owner, program_version, dpi, colors);
  if (!box) return;
  bool owner_was_enabled = owner && !EnableWindow(owner, FALSE);
  MSG msg{};
  while (IsWindow(box) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (VersionBoxPreview(box, msg)) break;
    // The box sees the key first; its controls see it too unless it closed.
    if (msg.message == WM_KEYDOWN && msg.hwnd == box) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (msg.message == WM_QUIT) PostQuitMessage(static_cast<int>(msg.wParam));
  if (IsWindow(box)) DestroyWindow(box);
  if (owner_was_enabled) EnableWindow(owner, TRUE);
  if (owner) SetActiveWindow(owner);
}

}  // namespace horalux::win32
