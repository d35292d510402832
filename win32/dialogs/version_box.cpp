#include "win32/dialogs/version_box.h"

#include <memory>

#include "core/desktop/version_box.h"
#include "win32/app/fonts.h"
#include "win32/controls/shown_color.h"
#include "win32/platform/dpi.h"
#include "win32/platform/handle.h"
#include "win32/platform/modal_window.h"
#include "win32/platform/wide.h"
#include "win32/platform/window_state.h"

namespace horalux::win32 {
namespace {

constexpr int kCloseId = 1;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

struct VersionBox {
  VersionBox(const std::string& version, ColorScheme* colors_) : model(version), colors(colors_) {}
  void MakeFonts(int dpi) {
    name_font.reset(CreateMinchoFont(21, dpi));
    ui_font.reset(CreateGothicFont(12, false, dpi));
  }
  TfmAbout model;
  ColorScheme* colors;
  // The client area is the box's own rule, truncated rather than rounded.
  WindowDpi layout{[](int dpi) {
                     return SIZE{TfmAbout::ClientWidth(dpi), TfmAbout::ClientHeight(dpi)};
                   },
                   kStyle, kExStyle, false};
  HWND name_panel = nullptr;
  UniqueGdi<HBRUSH> panel_brush;
  UniqueGdi<HFONT> name_font;
  UniqueGdi<HFONT> ui_font;
  HWND tag = nullptr;
  // Last, so that it lets go of the model before the model goes.
  Connection tag_update;
};

HWND Child(HWND parent, const WindowDpi& layout, const wchar_t* cls, const std::string& text,
           DWORD style, RECT r96, HFONT font, int id = 0, DWORD ex_style = 0) {
  const RECT r = layout.Scale(r96);
  HWND hwnd = CreateWindowExW(ex_style, cls, Widen(text).c_str(), WS_CHILD | style, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr);
  if (hwnd && font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return hwnd;
}

void FormCreate(HWND hwnd, VersionBox& box) {
  box.layout.Take(hwnd);
  box.MakeFonts(box.layout.dpi());
  HFONT ui = box.ui_font.get();
  const WindowDpi& l = box.layout;
  box.name_panel = Child(hwnd, l, L"STATIC", "Horalux", WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                         RECT{16, 14, 288, 62}, box.name_font.get(), 0, WS_EX_CLIENTEDGE);
  Child(hwnd, l, L"STATIC", "Version :", WS_VISIBLE | SS_RIGHT, RECT{64, 78, 148, 94}, ui);
  Child(hwnd, l, L"STATIC", box.model.lbl_Version.Caption(), WS_VISIBLE | SS_LEFT,
        RECT{154, 78, 250, 94}, ui);
  box.tag = Child(hwnd, l, L"STATIC", box.model.lblVerKaku.Caption(), SS_CENTER,
                  RECT{16, 100, 288, 116}, ui);
  box.tag_update = box.model.lblVerKaku.on_view_update.connect([&box] {
    SetWindowTextW(box.tag, Widen(box.model.lblVerKaku.Caption()).c_str());
    ShowWindow(box.tag, box.model.lblVerKaku.Visible() ? SW_SHOWNA : SW_HIDE);
  });
  HWND close =
      Child(hwnd, l, L"BUTTON", box.model.btnClose.Caption(),
            WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, RECT{112, 126, 192, 154}, ui, kCloseId);
  SetFocus(close);
}

LRESULT CALLBACK VersionBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* box = WindowState<VersionBox>(hwnd, msg, lp);
  if (!box) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  if (box->layout.OnMessage(
          hwnd, msg, wp, lp, &result, [box](int dpi) { box->MakeFonts(dpi); },
          [box](HWND child) {
            return child == box->name_panel ? box->name_font.get() : box->ui_font.get();
          }))
    return result;
  switch (msg) {
    case WM_CREATE:
      FormCreate(hwnd, *box);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == kCloseId && HIWORD(wp) == BN_CLICKED) ModalWindow::Close(hwnd);
      return 0;
    case WM_KEYDOWN:
      if (box->model.FormKeyDown(static_cast<int>(wp), GetKeyState(VK_SHIFT) < 0,
                                 GetKeyState(VK_CONTROL) < 0))
        ModalWindow::Close(hwnd);
      return 0;
    case WM_CLOSE:
      ModalWindow::Close(hwnd);
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

}  // namespace

HWND CreateVersionBox(HWND owner, const std::string& program_version, ColorScheme* colors) {
  auto box = std::make_unique<VersionBox>(program_version, colors);
  WindowDpi& layout = box->layout;
  // From here on the window holds the box and deletes it with itself.
  HWND hwnd = CreateOwnedWindow(kVersionBoxClass, VersionBoxProc, L"バージョン情報", layout, owner,
                                box.release());
  ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

bool VersionBoxPreview(HWND box, const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.hwnd != box && !IsChild(box, msg.hwnd))) return false;
  SendMessageW(box, WM_KEYDOWN, msg.wParam, msg.lParam);
  return !IsWindow(box);
}

void ShowVersionBox(HWND owner, const std::string& program_version, ColorScheme* colors) {
  HWND hwnd = CreateVersionBox(owner, program_version, colors);
  ModalWindow modal(hwnd, owner);
  // The box sees every key first; its controls see it too unless it closed,
  // and the box itself only once.
  modal.Run({.preview = [hwnd](const MSG& msg) {
    return VersionBoxPreview(hwnd, msg) || (msg.message == WM_KEYDOWN && msg.hwnd == hwnd);
  }});
}

}  // namespace horalux::win32
