#include "win32/dialogs/setup_window.h"

#include <commctrl.h>

#include "win32/app/fonts.h"
#include "win32/platform/modal_window.h"
#include "win32/platform/wide.h"
#include "win32/platform/window_state.h"

namespace horalux {

using win32::Widen;

namespace {
constexpr wchar_t kClassName[] = L"TfmSetup";
constexpr int kClientWidth = 429;
constexpr int kClientHeight = 313;
// Not clipping its children: a group box leaves its inside for the window to paint.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

RECT Rect(int x, int y, int w, int h) {
  return ControlBinder::Rect(x, y, w, h);
}
}  // namespace

SetupWindow::SetupWindow(TfmSetup& form)
    : form_(form),
      layout_(
          [](int dpi) {
            return SIZE{MulDiv(kClientWidth, dpi, 96), MulDiv(kClientHeight, dpi, 96)};
          },
          kStyle, kExStyle, false) {}

void SetupWindow::ShowModal(HWND owner, TfmSetup& form) {
  if (!form.EndProgram) form.EndProgram = [] { ExitProcess(0); };
  SetupWindow window(form);
  window.hwnd_ = win32::CreateOwnedWindow(kClassName, WndProc, L"Horaluxセットアップ",
                                          window.layout_, owner, &window);
  win32::ModalWindow modal(window.hwnd_, owner);
  window.Build();
  form.SelectTargetField = [&window] {
    SendMessageW(window.target_field_, EM_SETSEL, 0, -1);
    SetFocus(window.target_field_);
  };
  form.CloseWindow = [&window] { PostMessageW(window.hwnd_, WM_CLOSE, 0, 0); };
  modal.Run({});
  form.SelectTargetField = nullptr;
  form.CloseWindow = nullptr;
}

void SetupWindow::Build() {
  MakeFonts(layout_.dpi());
  binder_ =
      std::make_unique<ControlBinder>(font_, layout_, [this](const std::function<void()>& act) {
        try {
          act();
        } catch (const std::exception& e) {
          MessageBoxW(hwnd_, Widen(e.what()).c_str(), L"Horalux", MB_OK | MB_ICONERROR);
        }
      });
  ControlBinder& b = *binder_;
  heading_ = b.Label(form_.Label15, hwnd_, Rect(16, 12, 397, 24));
  SendMessageW(heading_, WM_SETFONT, reinterpret_cast<WPARAM>(heading_font_.get()), FALSE);
  b.StaticText("現在の起動フォルダ", hwnd_, Rect(16, 48, 397, 16));
  b.Edit(form_.edtKidouS, hwnd_, Rect(16, 66, 397, 22), ES_READONLY);
  b.StaticText("セットアップの場所（規定値推奨）", hwnd_, Rect(16, 100, 397, 16));
  target_field_ = b.Edit(form_.edtSetup, hwnd_, Rect(16, 118, 365, 22));
  // The folder button has no action; it only carries its hint.
  RECT fr = layout_.Scale(Rect(385, 118, 28, 22));
  HWND folder = CreateWindowExW(0, L"BUTTON", L"…", WS_CHILD | WS_VISIBLE | WS_TABSTOP, fr.left,
                                fr.top, fr.right - fr.left, fr.bottom - fr.top, hwnd_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  SendMessageW(folder, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                             hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  TTTOOLINFOW tip{};
  tip.cbSize = sizeof tip;
  tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tip.hwnd = hwnd_;
  tip.uId = reinterpret_cast<UINT_PTR>(folder);
  wchar_t hint[] = L"フォルダを選択します";
  tip.lpszText = hint;
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tip));
  b.GroupBox(" アクション ", hwnd_, Rect(16, 152, 397, 84));
  b.Radio(form_.rbUwagaki, hwnd_, Rect(30, 174, 375, 22), true);
  b.Radio(form_.rbNewSetup, hwnd_, Rect(30, 202, 375, 22), false);
  setup_button_ = b.Button(form_.btnSetup, hwnd_, Rect(226, 266, 90, 30));
  SendMessageW(setup_button_, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  b.Button(form_.btnClose, hwnd_, Rect(323, 266, 90, 30));
}

void SetupWindow::MakeFonts(int dpi) {
  font_.reset(CreateGothicFont(12, false, dpi));
  heading_font_.reset(CreateGothicFont(16, false, dpi));
}

LRESULT SetupWindow::DefaultButton() const {
  HWND button = setup_button_;
  HWND focus = GetFocus();
  if (focus && GetParent(focus) == hwnd_ &&
      (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
    button = focus;
  if (!button) return 0;
  return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
}

LRESULT CALLBACK SetupWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  SetupWindow* self = win32::WindowState<SetupWindow>(hwnd, msg, lp);
  LRESULT result = 0;
  if (self && self->layout_.OnMessage(
                  hwnd, msg, wp, lp, &result, [self](int dpi) { self->MakeFonts(dpi); },
                  [self](HWND child) {
                    return child == self->heading_ ? self->heading_font_.get() : self->font_.get();
                  }))
    return result;
  switch (msg) {
    case DM_GETDEFID:
      if (self) return self->DefaultButton();
      break;
    case WM_COMMAND:
      // Esc reaches the window as the cancel command: it closes as "閉じる" does.
      if (!lp && LOWORD(wp) == IDCANCEL) {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
      }
      if (self && self->binder_ && lp)
        self->binder_->OnCommand(reinterpret_cast<HWND>(lp), HIWORD(wp));
      return 0;
    case WM_NOTIFY:
      if (self && self->binder_) {
        LRESULT result = 0;
        if (self->binder_->OnNotify(reinterpret_cast<NMHDR*>(lp), &result)) return result;
      }
      break;
    case WM_CLOSE:
      win32::ModalWindow::Close(hwnd);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace horalux
