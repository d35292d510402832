#include "win32/controls/control_binding.h"

#include <commctrl.h>

#include <stdexcept>

#include "win32/controls/num_edit_view.h"
#include "win32/platform/wide.h"
#include "win32/platform/window_class.h"

namespace horalux {

using win32::Narrow;
using win32::Widen;

namespace {
// Tab enters a group of radio buttons at its selected one: only that one
// of the group is a tab stop.
void MoveGroupTabStop(HWND checked) {
  auto style = [](HWND w) { return static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE)); };
  HWND first = checked;
  while (!(style(first) & WS_GROUP)) {
    HWND before = GetWindow(first, GW_HWNDPREV);
    if (!before) break;
    first = before;
  }
  for (HWND w = first; w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w != first && (style(w) & WS_GROUP)) break;
    if ((style(w) & BS_TYPEMASK) != BS_AUTORADIOBUTTON) continue;
    const DWORD tab = w == checked ? WS_TABSTOP : 0;
    if ((style(w) & WS_TABSTOP) != tab)
      SetWindowLongW(w, GWL_STYLE, (style(w) & ~WS_TABSTOP) | tab);
  }
}

std::string WindowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, w.data(), n + 1);
  w.resize(static_cast<std::size_t>(n));
  return Narrow(w);
}
}  // namespace

HWND ControlBinder::Create(const wchar_t* cls, const std::string& text, DWORD style, HWND parent,
                           RECT r96, DWORD ex_style) {
  RECT r = layout_.Scale(r96);
  HWND hwnd = win32::CheckCreated(
      CreateWindowExW(ex_style, cls, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, r.left,
                      r.top, r.right - r.left, r.bottom - r.top, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(next_id_++)),
                      GetModuleHandleW(nullptr), nullptr),
      Narrow(cls).c_str());
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  return hwnd;
}

void ControlBinder::Common(TControl& model, HWND hwnd, std::function<void()> refresh_value) {
  auto refresh = [&model, hwnd, refresh_value] {
    if (refresh_value) refresh_value();
    EnableWindow(hwnd, model.Enabled());
    bool shown = (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != model.Visible()) ShowWindow(hwnd, model.Visible() ? SW_SHOWNA : SW_HIDE);
  };
  observers_.push_back(model.on_view_update.connect(refresh));
  observers_.push_back(model.on_focus_request.connect([hwnd] {
    if (IsWindowVisible(hwnd)) SetFocus(hwnd);
  }));
  refresh();
}

HWND ControlBinder::CheckBox(TCheckBox& model, HWND parent, RECT r) {
  HWND hwnd =
      Create(L"BUTTON", model.Caption(), BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, parent, r);
  Common(model, hwnd, [&model, hwnd] {
    SendMessageW(hwnd, BM_SETCHECK, model.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  });
  win32::SubclassOrThrow(hwnd, WatchRelease, 0, reinterpret_cast<DWORD_PTR>(this), "check box");
  commands_[hwnd] = [this, &model, hwnd](int code) {
    if (code != BN_CLICKED) return;
    bool checked = SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    const bool by_mouse = releasing_ == hwnd;
    guard_([&] {
      model.SetChecked(checked);
      (by_mouse ? model.OnMouseUp : model.OnKeyToggle)();
    });
  };
  return hwnd;
}

LRESULT CALLBACK ControlBinder::WatchRelease(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                             DWORD_PTR binder) {
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, WatchRelease, id);
  if (msg != WM_LBUTTONUP) return DefSubclassProc(hwnd, msg, wp, lp);
  // The button reports its click while it handles the release.
  auto* self = reinterpret_cast<ControlBinder*>(binder);
  HWND outer = self->releasing_;
  self->releasing_ = hwnd;
  LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
  self->releasing_ = outer;
  return result;
}

HWND ControlBinder::Radio(TRadioButton& model, HWND parent, RECT r, bool first_of_group) {
  DWORD style = BS_AUTORADIOBUTTON | (first_of_group ? WS_GROUP | WS_TABSTOP : 0);
  HWND hwnd = Create(L"BUTTON", model.Caption(), style, parent, r);
  Common(model, hwnd, [&model, hwnd] {
    SendMessageW(hwnd, BM_SETCHECK, model.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    if (model.Checked()) MoveGroupTabStop(hwnd);
  });
  commands_[hwnd] = [this, &model, hwnd](int code) {
    if (code != BN_CLICKED) return;
    if (SendMessageW(hwnd, BM_GETCHECK, 0, 0) != BST_CHECKED) return;
    guard_([&] { model.SetChecked(true); });
  };
  return hwnd;
}

HWND ControlBinder::Edit(TEdit& model, HWND parent, RECT r, DWORD extra_style) {
  HWND hwnd = Create(L"EDIT", model.Text(), ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP | extra_style,
                     parent, r, WS_EX_CLIENTEDGE);
  Common(model, hwnd, [&model, hwnd] {
    if (WindowText(hwnd) != model.Text()) SetWindowTextW(hwnd, Widen(model.Text()).c_str());
  });
  commands_[hwnd] = [this, &model, hwnd](int code) {
    if (code == EN_CHANGE) {
      std::string text = WindowText(hwnd);
      guard_([&] { model.SetText(text); });
    } else if (code == EN_KILLFOCUS) {
      guard_([&] { model.Exit(); });
    }
  };
  return hwnd;
}

HWND ControlBinder::NumEdit(TOrNumEdit& model, HWND parent, RECT r) {
  if (!clipboard_ || !beeper_)
    throw std::logic_error("number fields need a clipboard and a beeper");
  HWND hwnd = win32::CheckCreated(
      win32::CreateNumEdit(model, parent, layout_.Scale(r), font_.get(), *clipboard_, *beeper_,
                           next_id_++, WS_TABSTOP | WS_GROUP, scheme_),
      model.Name().c_str());
  // The field runs its own handlers; only the focus leaving reaches the model's OnExit.
  return hwnd;
}

HWND ControlBinder::Spin(TUpDown& model, TOrNumEdit& field, HWND parent, RECT r) {
  HWND edit = NumEdit(field, parent, r);
  win32::CheckCreated(win32::CreateNumSpin(model, edit), model.Name().c_str());
  return edit;
}

void ControlBinder::Hint(HWND control, const std::string& text) {
  if (!tooltip_) {
    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        GetAncestor(control, GA_ROOT), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) return;  // the controls work without their hints
    SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  std::wstring tip = Widen(text);
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(control);
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = tip.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

HWND ControlBinder::Button(TButton& model, HWND parent, RECT r) {
  HWND hwnd = Create(L"BUTTON", model.Caption(), BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, parent, r);
  Common(model, hwnd, [&model, hwnd] {
    if (WindowText(hwnd) != model.Caption()) SetWindowTextW(hwnd, Widen(model.Caption()).c_str());
  });
  commands_[hwnd] = [this, &model](int code) {
    if (code == BN_CLICKED) guard_([&] { model.Click(); });
  };
  return hwnd;
}

HWND ControlBinder::Label(TLabel& model, HWND parent, RECT r) {
  HWND hwnd = Create(L"STATIC", model.Caption(), SS_LEFT | SS_NOPREFIX, parent, r);
  Common(model, hwnd, [&model, hwnd] {
    if (WindowText(hwnd) != model.Caption()) SetWindowTextW(hwnd, Widen(model.Caption()).c_str());
  });
  return hwnd;
}

HWND ControlBinder::StaticText(const std::string& text, HWND parent, RECT r, HFONT font) {
  HWND hwnd = Create(L"STATIC", text, SS_LEFT | SS_NOPREFIX, parent, r);
  if (font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return hwnd;
}

HWND ControlBinder::GroupBox(const std::string& text, HWND parent, RECT r) {
  return Create(L"BUTTON", text, BS_GROUPBOX, parent, r);
}

void ControlBinder::FollowEnabled(TControl& model, HWND hwnd) {
  observers_.push_back(
      model.on_view_update.connect([&model, hwnd] { EnableWindow(hwnd, model.Enabled()); }));
  EnableWindow(hwnd, model.Enabled());
}

bool ControlBinder::OnCommand(HWND control, int code) {
  auto it = commands_.find(control);
  if (it == commands_.end()) return false;
  auto handler = it->second;
  handler(code);
  return true;
}

bool ControlBinder::OnNotify(const NMHDR* header, LRESULT* result) {
  auto it = notifies_.find(header->hwndFrom);
  if (it == notifies_.end()) return false;
  *result = it->second(header);
  return true;
}

}  // namespace horalux
