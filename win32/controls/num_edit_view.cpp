#include "win32/controls/num_edit_view.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>

#include "win32/controls/field_accessible.h"
#include "win32/controls/shown_color.h"
#include "win32/platform/handle.h"
#include "win32/platform/wide.h"
#include "win32/platform/window_state.h"

namespace horalux::win32 {
namespace {

enum MenuCommand : UINT { kUndo = 1, kCut, kCopy, kPaste, kDelete, kSelectAll };

struct NumEditView {
  TOrNumEdit* model = nullptr;
  TOrNEdit* nedit = nullptr;  // the same model when it is a TOrNEdit, else nullptr
  HFONT font = nullptr;
  ColorScheme* scheme = nullptr;
  // Colours as the screen names them, turned into pixels at each painting
  // so that a change of the user's colours shows at once.
  TColor background = clWindow;
  TColor text = clWindowText;
  // The colours to restore when a TOrNEdit loses the focus.
  TColor saved_background = clWindow;
  TColor saved_text = clWindowText;
  bool focused = false;
  std::wstring accessible_name;
  std::wstring accessible_description;
  // The value screen readers last heard of.
  std::string announced;
  // The field's observation of its model, let go with the window.
  Connection model_update;
};

// Where the display text stands in the client area, and where the caret goes.
struct TextLayout {
  int x, y, caret_x, height;
};

TextLayout Layout(HWND hwnd, const NumEditView& v, HDC dc) {
  const TOrNumEdit& m = *v.model;
  RECT rc;
  GetClientRect(hwnd, &rc);
  std::wstring shown = Widen(m.DisplayText());
  std::wstring right = m.Text().empty() ? L"" : Widen(m.RightMark);
  SIZE size{}, right_size{};
  GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
  GetTextExtentPoint32W(dc, right.c_str(), static_cast<int>(right.size()), &right_size);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  int left = rc.left + m.LeftMargin, right_edge = rc.right - m.RightMargin;
  int top = rc.top + m.TopMargin, bottom = rc.bottom - m.BottomMargin;
  TextLayout l{};
  l.height = tm.tmHeight;
  switch (m.Alignment) {
    case TAlignment::taLeftJustify:
      l.x = left;
      break;
    case TAlignment::taRightJustify:
      l.x = right_edge - size.cx;
      break;
    case TAlignment::taCenter:
      l.x = left + (right_edge - left - size.cx) / 2;
      break;
  }
  switch (m.VertAlignment) {
    case TVertAlignment::taAlignTop:
      l.y = top;
      break;
    case TVertAlignment::taAlignBottom:
      l.y = bottom - tm.tmHeight;
      break;
    case TVertAlignment::taVCenter:
      l.y = top + (bottom - top - tm.tmHeight) / 2;
      break;
  }
  l.caret_x = l.x + size.cx - right_size.cx;
  return l;
}

// Runs `fn` with a device context that has the field's font selected.
template <typename Fn>
auto WithFont(HWND hwnd, HFONT font, Fn fn) {
  WindowDC dc(hwnd);
  SelectedObject with_font(dc.get(), font);
  return fn(dc.get());
}

void PlaceCaret(HWND hwnd, const NumEditView& v) {
  if (!v.focused) return;
  TextLayout l = WithFont(hwnd, v.font, [&](HDC dc) { return Layout(hwnd, v, dc); });
  SetCaretPos(l.caret_x, l.y);
}

void Paint(HWND hwnd, const NumEditView& v) {
  PaintDC paint(hwnd);
  const HDC dc = paint.get();
  SelectedObject with_font(dc, v.font);
  RECT rc;
  GetClientRect(hwnd, &rc);
  UniqueGdi<HBRUSH> back(CreateSolidBrush(ShownColor(v.background, v.scheme)));
  FillRect(dc, &rc, back.get());
  TextLayout l = Layout(hwnd, v, dc);
  bool enabled = IsWindowEnabled(hwnd);
  bool highlight = v.model->Selected() && enabled && (v.focused || !v.model->HideSelection);
  SetBkMode(dc, highlight ? OPAQUE : TRANSPARENT);
  SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
  SetTextColor(dc, !enabled    ? GetSysColor(COLOR_GRAYTEXT)
                   : highlight ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                               : ShownColor(v.text, v.scheme));
  std::wstring shown = Widen(v.model->DisplayText());
  RECT clip{rc.left + v.model->LeftMargin, rc.top, rc.right - v.model->RightMargin, rc.bottom};
  ExtTextOutW(dc, l.x, l.y, ETO_CLIPPED | (highlight ? ETO_OPAQUE : 0), &clip, shown.c_str(),
              static_cast<UINT>(shown.size()), nullptr);
}

unsigned HeldShift() {
  unsigned s = kShiftNone;
  if (GetKeyState(VK_SHIFT) < 0) s |= kShiftShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= kShiftCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= kShiftAlt;
  return s;
}

// The window the tab order belongs to: the top-level window holding the field.
HWND TabRoot(HWND hwnd) {
  return GetAncestor(hwnd, GA_ROOT);
}

void MoveFocus(HWND hwnd, bool previous) {
  HWND next = GetNextDlgTabItem(TabRoot(hwnd), hwnd, previous ? TRUE : FALSE);
  if (next && next != hwnd) SetFocus(next);
}

struct FindModel {
  const TOrNumEdit* model;
  HWND found;
};

BOOL CALLBACK MatchModel(HWND child, LPARAM lp) {
  auto* find = reinterpret_cast<FindModel*>(lp);
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (lstrcmpW(cls, kNumEditClass) != 0 && lstrcmpW(cls, kNEditClass) != 0) return TRUE;
  auto* v = reinterpret_cast<NumEditView*>(GetWindowLongPtrW(child, GWLP_USERDATA));
  if (v && v->model == find->model) {
    find->found = child;
    return FALSE;
  }
  return TRUE;
}

void Follow(HWND hwnd, KeyResult r) {
  switch (r.outcome) {
    case KeyOutcome::FocusNext:
      MoveFocus(hwnd, false);
      break;
    case KeyOutcome::FocusPrevious:
      MoveFocus(hwnd, true);
      break;
    case KeyOutcome::FocusTarget: {
      FindModel find{r.target, nullptr};
      EnumChildWindows(TabRoot(hwnd), MatchModel, reinterpret_cast<LPARAM>(&find));
      if (find.found) SetFocus(find.found);
      break;
    }
    case KeyOutcome::Done:
    case KeyOutcome::Refused:
      break;
  }
}

// Characters, including the control characters the keyboard makes for
// Backspace, Enter and the Ctrl letters.
void OnChar(HWND hwnd, NumEditView& v, wchar_t c) {
  TOrNumEdit& m = *v.model;
  switch (c) {
    case 1:
      Follow(hwnd, m.Key(EditKey::SelectAll, kShiftCtrl));
      return;
    case 3:
      Follow(hwnd, m.Key(EditKey::Copy, kShiftCtrl));
      return;
    case 8:
      Follow(hwnd, m.Key(EditKey::Backspace, HeldShift()));
      return;
    case 13:
      Follow(hwnd, m.Key(EditKey::Enter, HeldShift()));
      return;
    case 22:
      Follow(hwnd, m.Key(EditKey::Paste, kShiftCtrl));
      return;
    case 24:
      Follow(hwnd, m.Key(EditKey::Cut, kShiftCtrl));
      return;
    case 9:
    case 27:
      return;  // Tab and Escape belong to the window around the field
    default:
      m.Char(static_cast<char32_t>(c));
      return;
  }
}

bool OnKeyDown(HWND hwnd, NumEditView& v, WPARAM key) {
  EditKey k;
  switch (key) {
    case VK_DELETE:
      k = EditKey::Delete;
      break;
    case VK_HOME:
      k = EditKey::Home;
      break;
    case VK_END:
      k = EditKey::End;
      break;
    case VK_LEFT:
      k = EditKey::Left;
      break;
    case VK_RIGHT:
      k = EditKey::Right;
      break;
    case VK_PRIOR:
      k = EditKey::PageUp;
      break;
    case VK_NEXT:
      k = EditKey::PageDown;
      break;
    case VK_UP:
      k = EditKey::Up;
      break;
    case VK_DOWN:
      k = EditKey::Down;
      break;
    default:
      return false;
  }
  Follow(hwnd, v.model->Key(k, HeldShift()));
  return true;
}

void ShowContextMenu(HWND hwnd, NumEditView& v, LPARAM lp) {
  SetFocus(hwnd);
  TOrNumEdit& m = *v.model;
  EditMenuState s = m.MenuState();
  UniqueMenu owned(CreatePopupMenu());
  const HMENU menu = owned.get();
  if (!menu) return;
  auto item = [menu](UINT id, const wchar_t* text, bool on) {
    AppendMenuW(menu, MF_STRING | (on ? MF_ENABLED : MF_GRAYED), id, text);
  };
  item(kUndo, L"元に戻す(&U)", s.undo);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  item(kCut, L"切り取り(&T)", s.cut);
  item(kCopy, L"コピー(&C)", s.copy);
  item(kPaste, L"貼り付け(&P)", s.paste);
  item(kDelete, L"削除(&D)", s.del);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  item(kSelectAll, L"すべて選択(&A)", s.select_all);
  POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  if (at.x == -1 && at.y == -1) {  // from the keyboard: below the field
    RECT rc;
    GetWindowRect(hwnd, &rc);
    at = POINT{rc.left, rc.bottom};
  }
  const UINT cmd =
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd, nullptr);
  switch (cmd) {
    case kUndo:
      m.Undo();
      break;
    case kCut:
      m.CutToClipboard();
      break;
    case kCopy:
      m.CopyToClipboard();
      break;
    case kPaste:
      m.PasteFromClipboard();
      break;
    case kDelete:
      m.DeleteSelection();
      break;
    case kSelectAll:
      m.SelectAll();
      break;
    default:
      break;
  }
}

int FontHeight(HWND hwnd, const NumEditView& v) {
  return WithFont(hwnd, v.font, [](HDC dc) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    return static_cast<int>(tm.tmHeight);
  });
}

void OnSetFocus(HWND hwnd, NumEditView& v) {
  if (v.nedit && !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_TABSTOP)) {
    // A field out of the tab order passes the focus on.
    MoveFocus(hwnd, false);
    return;
  }
  v.focused = true;
  if (v.nedit) {
    v.saved_background = v.background;
    v.saved_text = v.text;
    v.background = v.nedit->ColorActive;
    v.text = v.nedit->ColorFontActive;
  }
  CreateCaret(hwnd, nullptr, 1, FontHeight(hwnd, v));
  v.model->Enter();
  PlaceCaret(hwnd, v);
  ShowCaret(hwnd);
  InvalidateRect(hwnd, nullptr, TRUE);
  NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

// The field as a screen reader reads it; false once its window is gone.
bool ReadAccessible(HWND hwnd, AccessibleField& f) {
  if (!IsWindow(hwnd)) return false;
  auto* v = reinterpret_cast<NumEditView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!v) return false;
  f.name = v->accessible_name;
  f.description = v->accessible_description;
  f.value = Widen(v->model->Text());
  f.focused = v->focused;
  f.read_only = v->model->ReadOnly();
  f.unavailable = !IsWindowEnabled(hwnd);
  return true;
}

// With AutoSize the client height follows the font and the margins.
void FitHeight(HWND hwnd, const NumEditView& v) {
  if (!v.model->AutoSize) return;
  RECT window, client;
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  const int height = (window.bottom - window.top) - client.bottom + FontHeight(hwnd, v) +
                     v.model->TopMargin + v.model->BottomMargin;
  SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnKillFocus(HWND hwnd, NumEditView& v) {
  if (!v.focused) return;
  v.focused = false;
  DestroyCaret();
  if (v.nedit) {
    v.background = v.saved_background;
    v.text = v.saved_text;
  }
  v.model->Exit();
  InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT CALLBACK NumEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* v = WindowState<NumEditView>(hwnd, msg, lp);
  if (!v) return DefWindowProcW(hwnd, msg, wp, lp);
  TOrNumEdit& m = *v->model;
  switch (msg) {
    case WM_CREATE:
      v->announced = m.Text();
      v->model_update = m.on_view_update.connect([hwnd, v] {
        const TOrNumEdit& model = *v->model;
        if (!IsWindowEnabled(hwnd) != !model.Enabled()) EnableWindow(hwnd, model.Enabled());
        if (!IsWindowVisible(hwnd) != !model.Visible())
          ShowWindow(hwnd, model.Visible() ? SW_SHOWNA : SW_HIDE);
        InvalidateRect(hwnd, nullptr, TRUE);
        PlaceCaret(hwnd, *v);
        // Whoever changed the value (typing, the arrows, the program), a
        // screen reader hears of it.
        if (model.Text() != v->announced) {
          v->announced = model.Text();
          NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
        }
      });
      return 0;
    case WM_GETOBJECT:
      if (LRESULT object = AnswerFieldObject(
              hwnd, wp, lp, [hwnd](AccessibleField& f) { return ReadAccessible(hwnd, f); }))
        return object;
      break;
    case WM_NCDESTROY: {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete v;
      return DefWindowProcW(hwnd, msg, wp, lp);
    }
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_WANTARROWS;
    case WM_SETFONT:
      v->font = reinterpret_cast<HFONT>(wp);
      FitHeight(hwnd, *v);
      if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(v->font);
    case WM_SETTEXT:
      m.SetText(lp ? Narrow(reinterpret_cast<const wchar_t*>(lp)) : "");
      return TRUE;
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(Widen(m.Text()).size());
    case WM_GETTEXT: {
      // Cut to the caller's buffer, which always ends with a NUL.
      auto* out = reinterpret_cast<wchar_t*>(lp);
      if (!out || wp == 0) return 0;
      std::wstring value = Widen(m.Text());
      size_t n = value.size() < wp - 1 ? value.size() : wp - 1;
      value.copy(out, n);
      out[n] = L'\0';
      return static_cast<LRESULT>(n);
    }
    case WM_CHAR:
    case WM_IME_CHAR:
      OnChar(hwnd, *v, static_cast<wchar_t>(wp));
      return 0;
    case WM_KEYDOWN:
      if (OnKeyDown(hwnd, *v, wp)) return 0;
      break;
    case WM_SETFOCUS:
      OnSetFocus(hwnd, *v);
      return 0;
    case WM_KILLFOCUS:
      OnKillFocus(hwnd, *v);
      return 0;
    case WM_LBUTTONDOWN:
      if (GetForegroundWindow() == TabRoot(hwnd)) SetFocus(hwnd);
      m.DropSelection();
      SetCapture(hwnd);
      return 0;
    case WM_MOUSEMOVE:
      if ((wp & MK_LBUTTON) && GetCapture() == hwnd) m.SelectAll();
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_LBUTTONDBLCLK:
      SetFocus(hwnd);
      m.SelectAll();
      return 0;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
      SetFocus(hwnd);
      break;
    case WM_CONTEXTMENU:
      ShowContextMenu(hwnd, *v, lp);
      return 0;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd, *v);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool RegisterClasses() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = NumEditProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.lpszClassName = kNumEditClass;
    bool ok = RegisterClassExW(&wc) != 0;
    wc.lpszClassName = kNEditClass;
    return RegisterClassExW(&wc) != 0 && ok;
  }();
  return registered;
}

}  // namespace

HWND CreateNumEdit(TOrNumEdit& model, HWND parent, RECT r, HFONT font, Clipboard& clipboard,
                   Beeper& beeper, int id, DWORD extra_style, ColorScheme* scheme) {
  if (!RegisterClasses()) return nullptr;
  model.Connect(clipboard, beeper);
  auto* nedit = dynamic_cast<TOrNEdit*>(&model);
  // The chain of arrow targets skips fields out of the tab order.
  if (nedit) nedit->TabStop = (extra_style & WS_TABSTOP) != 0;
  auto* state = new NumEditView{};
  state->model = &model;
  state->nedit = nedit;
  state->font = font;
  state->scheme = scheme;
  HWND hwnd = CreateWindowExW(
      WS_EX_CLIENTEDGE, nedit ? kNEditClass : kNumEditClass, L"",
      WS_CHILD | WS_VISIBLE | extra_style, r.left, r.top, r.right - r.left, r.bottom - r.top,
      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), state);
  if (!hwnd) {
    delete state;
    return nullptr;
  }
  FitHeight(hwnd, *state);
  return hwnd;
}

namespace {

struct SpinBinding {
  TUpDown* model;
  HWND arrows;
  // The arrows follow both the spin's model and its field's.
  Connection spin_update;
  Connection field_update;
};

// The arrows report to the field's parent; this catches their step there.
LRESULT CALLBACK SpinParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                DWORD_PTR data) {
  auto* b = reinterpret_cast<SpinBinding*>(data);
  if (msg == WM_NOTIFY) {
    auto* h = reinterpret_cast<const NMHDR*>(lp);
    if (h->hwndFrom == b->arrows && h->code == UDN_DELTAPOS) {
      bool up = reinterpret_cast<const NMUPDOWN*>(h)->iDelta > 0;
      b->model->Step(up);
      return 1;  // the model moved; the arrows keep their own position
    }
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, SpinParentProc, id);
    delete b;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

HWND CreateNumSpin(TUpDown& model, HWND field) {
  HWND parent = GetParent(field);
  RECT r;
  GetWindowRect(field, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  int width = GetSystemMetrics(SM_CXVSCROLL);
  HWND arrows =
      CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, r.right, r.top, width,
                      r.bottom - r.top, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!arrows) return nullptr;
  // A plain range so that the up arrow reports a positive step.
  SendMessageW(arrows, UDM_SETRANGE32, 0, 100);
  SendMessageW(arrows, UDM_SETPOS32, 0, 50);
  auto* binding = new SpinBinding{&model, arrows, {}, {}};
  if (!SetWindowSubclass(parent, SpinParentProc, reinterpret_cast<UINT_PTR>(arrows),
                         reinterpret_cast<DWORD_PTR>(binding))) {
    delete binding;
    DestroyWindow(arrows);
    return nullptr;
  }
  auto refresh = [&model, arrows] {
    EnableWindow(arrows, model.Enabled() && model.Associate()->Enabled());
  };
  binding->spin_update = model.on_view_update.connect(refresh);
  if (TEdit* associate = model.Associate())
    binding->field_update = associate->on_view_update.connect(refresh);
  refresh();
  return arrows;
}

void SetNumEditColors(HWND field, TColor background, TColor text) {
  auto* v = reinterpret_cast<NumEditView*>(GetWindowLongPtrW(field, GWLP_USERDATA));
  if (!v) return;
  // A focused TOrNEdit shows its active colours; these come back on exit.
  TColor& b = v->focused && v->nedit ? v->saved_background : v->background;
  TColor& t = v->focused && v->nedit ? v->saved_text : v->text;
  b = background;
  t = text;
  InvalidateRect(field, nullptr, TRUE);
}

void SetNumEditAccessibleText(HWND field, const std::string& name, const std::string& description) {
  auto* v = reinterpret_cast<NumEditView*>(GetWindowLongPtrW(field, GWLP_USERDATA));
  if (!v) return;
  v->accessible_name = Widen(name);
  v->accessible_description = Widen(description);
}

}  // namespace horalux::win32
