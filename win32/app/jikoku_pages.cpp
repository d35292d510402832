// The four pages of the main window and where each control sits on them.
#include <windows.h>
#include <commctrl.h>

#include "core/settings/field_captions.h"
#include "core/settings/settings_keys.h"
#include "win32/app/main_window.h"
#include "win32/controls/num_edit_view.h"
#include "win32/engine/log_view.h"
#include "win32/platform/window_class.h"

namespace horalux {

namespace {
using S = JikokuScreen;

RECT R(int x, int y, int w, int h) {
  return ControlBinder::Rect(x, y, w, h);
}

// The texts before and after a number field come from its row; a screen
// reader names the field by the first and tells the second after it.
template <auto Field>
constexpr const NumberFacts& CaptionOf = NumberOf<Field>();

HWND Spoken(HWND field, const NumberFacts& c) {
  win32::SetNumEditAccessibleText(field, SpokenLabel(c.label), UnitText(c));
  return field;
}

// A multi-line field takes every key, Tab included: the read-only log view
// leaves Tab, Enter and Esc to the window, so the keyboard can leave it.
LRESULT CALLBACK LeaveTabToWindow(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                  DWORD_PTR) {
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, LeaveTabToWindow, id);
  LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
  if (msg == WM_GETDLGCODE) result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
  return result;
}

// The hint of a spin shows over its field and over its arrows, made just after it.
void Hinted(ControlBinder& b, HWND field, const SettingsKey& spin) {
  const char* hint = spin.hint;
  if (!hint) return;
  b.Hint(field, hint);
  if (HWND arrows = GetWindow(field, GW_HWNDNEXT)) b.Hint(arrows, hint);
}

// The fine adjustment at the top of the HTTP and the SNTP page.
template <auto Spin, auto Field>
void FineAdjustmentRow(ControlBinder& b, S& s, HWND p) {
  b.StaticText(CaptionOf<Field>.label, p, R(16, 14, 180, 16));
  Hinted(b, Spoken(b.Spin(s.*Spin, s.*Field, p, R(196, 11, 60, 20)), CaptionOf<Field>),
         RowOf<Spin>());
  b.StaticText(UnitText(CaptionOf<Field>), p, R(280, 14, 120, 16));
}
}  // namespace

void MainWindow::BuildPages() {
  JikokuScreen& s = form_->Screen();
  ControlBinder& b = *binder_;

  // Basic settings.
  HWND p = MakePage(0);
  b.CheckBox(s.cbStartup, p, R(16, 8, 440, 18));
  // Made right after the start-up box, so that Tab reaches it next.
  b.Hint(b.CheckBox(s.cbMainichi, p, R(36, 28, 420, 18)), S::kMainichiHint);
  b.StaticText("※(時刻の取得後、Horaluxは自動的に終了します)", p, R(36, 48, 400, 16));
  b.CheckBox(s.cbEhyouji, p, R(16, 70, 440, 18));
  b.GroupBox("  時刻を取得するプロトコル  ", p, R(10, 94, 400, 70));
  b.Hint(b.Radio(s.rbHTTP, p, R(24, 114, 90, 18), true), RowOf<&S::rbHTTP>().hint);
  b.StaticText("← ＮＴＰ／ＳＮＴＰで時刻を取得できないときに使う", p, R(118, 115, 288, 16));
  b.Hint(b.Radio(s.rbSNTP, p, R(24, 136, 90, 18), false), RowOf<&S::rbSNTP>().hint);
  b.StaticText("← 基本的にはこちらのプロトコルを使う", p, R(118, 137, 288, 16));
  b.Button(s.btnJikkou, p, R(440, 100, 140, 30));
  b.CheckBox(s.cbSetuzokuT, p, R(420, 138, 196, 18));
  b.GroupBox(" 詳細設定 ", p, R(420, 166, 190, 54));
  b.Button(s.btnHTTP, p, R(432, 186, 80, 24));
  b.Button(s.btnSNTP, p, R(518, 186, 80, 24));
  b.StaticText(CaptionOf<&S::edtChien>.label, p, R(16, 234, 100, 16));
  b.StaticText("起動して、", p, R(116, 234, 60, 16));
  Spoken(b.Spin(s.udChien, s.edtChien, p, R(176, 231, 50, 20)), CaptionOf<&S::edtChien>);
  b.StaticText(UnitText(CaptionOf<&S::edtChien>), p, R(250, 234, 360, 16));
  b.StaticText(CaptionOf<&S::edtGosa>.label, p, R(16, 262, 160, 16));
  Spoken(b.Spin(s.udGosa, s.edtGosa, p, R(176, 259, 50, 20)), CaptionOf<&S::edtGosa>);
  b.StaticText(UnitText(CaptionOf<&S::edtGosa>), p, R(250, 262, 360, 16));
  b.StaticText(CaptionOf<&S::edtGyou>.label, p, R(16, 290, 160, 16));
  Spoken(b.Spin(s.udGyou, s.edtGyou, p, R(176, 287, 50, 20)), CaptionOf<&S::edtGyou>);
  b.StaticText(UnitText(CaptionOf<&S::edtGyou>), p, R(250, 290, 360, 16));
  b.StaticText(CaptionOf<&S::edtJisa>.label, p, R(16, 318, 160, 16));
  Spoken(b.NumEdit(s.edtJisa, p, R(176, 315, 66, 20)), CaptionOf<&S::edtJisa>);
  b.StaticText(UnitText(CaptionOf<&S::edtJisa>), p, R(250, 318, 20, 16));
  b.StaticText("（ 日本時間 = 0", p, R(274, 318, 200, 16));
  b.StaticText("※エラー回避の秒数より大きく時差を調整された場合、", p, R(36, 346, 560, 16));
  b.StaticText("「接続テスト」で、時刻を修正しておいてください ）", p, R(36, 364, 560, 16));

  // Access log: the button bar above the view.
  p = MakePage(1);
  b.Button(s.btnFirst, p, R(8, 4, 80, 24));
  b.Button(s.btnBottom, p, R(92, 4, 80, 24));
  b.Button(s.btnClose, p, R(176, 4, 80, 24));
  RECT pr;
  GetClientRect(p, &pr);
  log_edit_ =
      win32::CheckCreated(CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE |
                                              ES_AUTOVSCROLL | ES_READONLY | WS_TABSTOP,
                                          layout_.Scale(4), layout_.Scale(32), layout_.Scale(612),
                                          pr.bottom - layout_.Scale(36), p, nullptr,
                                          GetModuleHandleW(nullptr), nullptr),
                          "log view");
  SendMessageW(log_edit_, WM_SETFONT, reinterpret_cast<WPARAM>(log_font_.get()), FALSE);
  SendMessageW(log_edit_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
  win32::SubclassOrThrow(log_edit_, LeaveTabToWindow, 0, 0, "log view");
  log_view_.attach(log_edit_);

  // HTTP settings.
  p = MakePage(2);
  FineAdjustmentRow<&S::udChouseiHTTP, &S::edtChouseiHTTP>(b, s, p);
  b.GroupBox("  取得する時刻  ", p, R(10, 44, 600, 90));
  b.Radio(s.rbJapan, p, R(24, 64, 400, 18), true);
  b.Radio(s.rbFennick1, p, R(24, 86, 400, 18), false);
  b.Radio(s.rbFennick2, p, R(24, 108, 400, 18), false);
  b.GroupBox(" ＨＴＴＰプロトコルによる時刻取得の場合のプロキシサーバーの設定 ", p,
             R(10, 146, 600, 150));
  b.CheckBox(s.cbProxy, p, R(24, 168, 300, 18));
  RECT pnl = layout_.Scale(R(24, 192, 570, 60));
  HWND panel = win32::CheckCreated(
      CreateWindowExW(WS_EX_CONTROLPARENT, L"TTabSheet", L"", WS_CHILD | WS_VISIBLE, pnl.left,
                      pnl.top, pnl.right - pnl.left, pnl.bottom - pnl.top, p, nullptr,
                      GetModuleHandleW(nullptr), this),
      "pnlProxy");
  b.FollowEnabled(s.pnlProxy, panel);
  proxy_panel_ = panel;
  b.StaticText("アドレス：", panel, R(8, 6, 70, 16));
  proxy_edit_ = b.Edit(s.edtProxy, panel, R(80, 3, 300, 20));
  b.StaticText(CaptionOf<&S::edtPort>.label, panel, R(8, 32, 70, 16));
  port_edit_ = Spoken(b.NumEdit(s.edtPort, panel, R(80, 29, 80, 20)), CaptionOf<&S::edtPort>);
  // Made after both fields, so that Tab reaches it after them.
  HWND proxy_get = b.Button(s.btnProxyGet, panel, R(390, 2, 100, 22));
  // A disabled panel does not grey its children: the proxy box colours the
  // texts and fields (WM_CTLCOLOR*), and the button shows its inactive
  // colour, the system's gray text, by being disabled with the panel.
  auto repaint = [this, &s, panel, proxy_get] {
    EnableWindow(proxy_get, s.btnProxyGet.Enabled() && s.pnlProxy.Enabled());
    // The numeric field draws itself: it takes its colours directly.
    win32::SetNumEditColors(port_edit_, s.edtPort.Color(), s.pnlProxy.FontColor());
    RedrawWindow(panel, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  };
  for (TControl* c : {static_cast<TControl*>(&s.pnlProxy), static_cast<TControl*>(&s.edtProxy),
                      static_cast<TControl*>(&s.edtPort), static_cast<TControl*>(&s.btnProxyGet)}) {
    observers_.push_back(c->on_view_update.connect(repaint));
  }
  repaint();
  b.CheckBox(s.cbNoCkProxy, p, R(24, 262, 560, 18));
  b.Hint(b.CheckBox(s.cbSeimitsu, p, R(16, 306, 560, 18)), RowOf<&S::cbSeimitsu>().hint);

  // SNTP settings.
  p = MakePage(3);
  FineAdjustmentRow<&S::udChouseiSNTP, &S::edtChouseiSNTP>(b, s, p);
  // Made right after the row, so that Tab reaches it after the field.
  b.Hint(b.Button(s.btnSokutei, p, R(410, 10, 90, 22)), S::kSokuteiHint);
  b.GroupBox("　NTP/SNTPサーバーの指定　", p, R(10, 44, 600, 200));
  b.CheckBox(s.cbSNTPAuto, p, R(24, 66, 330, 18));
  b.StaticText("← 原則的にこちらをチェック", p, R(360, 67, 240, 16));
  b.CheckBox(s.cbSNTP, p, R(24, 92, 560, 18));
  b.Label(s.lblSNTP1, p, R(44, 122, 70, 16));
  b.Edit(s.edtSNTP, p, R(114, 119, 300, 20));
  b.Label(s.lblSNTP2, p, R(44, 152, 400, 16));
  b.Label(s.lblSNTP3, p, R(60, 174, 400, 16));
  b.Label(s.lblSNTP4, p, R(60, 196, 400, 16));
}

}  // namespace horalux
