#include "win32/controls/control_binding.h"

#include <commctrl.h>

#include "win32/platform/dpi.h"
#include "win32/platform/wide.h"
#include "win32/platform/window_class.h"

namespace horalux {

using win32::Narrow;
using win32::Widen;

namespace {
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
  RECT r = win32::Scale(r96);
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
  model.on_view_update = refresh;
  model.on_focus_request = [hwnd] {
    if (IsWindowVisible(hwnd)) SetFocus(hwnd);
  };
  refresh();
}

HWND ControlBinder::CheckBox(TCheckBox& model, HWND parent, RECT r) {
  HWND hwnd = Create(L"BUTTON", model.Caption(), BS_AUTOCHECKBOX | WS_TABSTOP, parent, r);
  Common(model, hwnd, [&model, hwnd] {
    SendMessageW(hwnd, BM_SETCHECK, model.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  });
  commands_[hwnd] = [this, &model, hwnd](int code) {
    if (code != BN_CLICKED) return;
    bool checked = SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    guard_([&] { model.SetChecked(checked); });
  };
  return hwnd;
}

HWND ControlBinder::Radio(TRadioButton& model, HWND parent, RECT r, bool first_of_group) {
  DWORD style = BS_AUTORADIOBUTTON | (first_of_group ? WS_GROUP | WS_TABSTOP : 0);
  HWND hwnd = Create(L"BUTTON", model.Caption(), style, parent, r);
  Common(model, hwnd, [&model, hwnd] {
    SendMessageW(hwnd, BM_SETCHECK, model.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  });
  commands_[hwnd] = [this, &model, hwnd](int code) {
    if (code != BN_CLICKED) return;
    if (SendMessageW(hwnd, BM_GETCHECK, 0, 0) != BST_CHECKED) return;
    guard_([&] { model.SetChecked(true); });
  };
  return hwnd;
}

HWND ControlBinder::Edit(TEdit& model, HWND parent, RECT r, DWORD extra_style) {
  HWND hwnd = Create(L"EDIT", model.Text(), ES_AUTOHSCROLL | WS_TABSTOP | extra_style, parent, r,
                     WS_EX_CLIENTEDGE);
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

HWND ControlBinder::Spin(TUpDown& model, HWND parent, RECT field) {
  HWND edit = Edit(*model.Associate(), parent, field, ES_RIGHT);
  RECT arrows = Rect(field.right, field.top, 16, field.bottom - field.top);
  HWND hwnd = Create(UPDOWN_CLASSW, "", UDS_ARROWKEYS, parent, arrows);
  // A plain range so that the up arrow reports a positive step.
  SendMessageW(hwnd, UDM_SETRANGE32, 0, 100);
  SendMessageW(hwnd, UDM_SETPOS32, 0, 50);
  auto refresh = [&model, hwnd] {
    EnableWindow(hwnd, model.Enabled() && model.Associate()->Enabled());
  };
  model.on_view_update = refresh;
  refresh();
  notifies_[hwnd] = [this, &model](const NMHDR* h) -> LRESULT {
    if (h->code != UDN_DELTAPOS) return 0;
    const auto* d = reinterpret_cast<const NMUPDOWN*>(h);
    bool up = d->iDelta > 0;
    guard_([&] { model.Step(up); });
    return 1;  // the model moved; the arrows keep their own position
  };
  return edit;
}

HWND ControlBinder::Button(TButton& model, HWND parent, RECT r) {
  HWND hwnd = Create(L"BUTTON", model.Caption(), BS_PUSHBUTTON | WS_TABSTOP, parent, r);
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
  auto previous = model.on_view_update;
  model.on_view_update = [previous, &model, hwnd] {
    if (previous) previous();
    EnableWindow(hwnd, model.Enabled());
  };
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
