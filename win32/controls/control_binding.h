#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/controls/controls.h"
#include "core/controls/num_edit.h"
#include "core/platform/beeper.h"
#include "core/platform/clipboard.h"
#include "core/platform/color_scheme.h"
#include "win32/platform/dpi.h"
#include "win32/platform/handle.h"

namespace horalux {

// Creates real controls for the core's control models and keeps the two in
// step: a model change updates its control; a user action on the control
// sets the model, which runs the model's handler.
class ControlBinder {
 public:
  // `font` is the owner's, which may replace it (a move to a screen of
  // another resolution); new controls take the one it holds then. Places
  // and sizes are given in 96-dpi pixels and made at the resolution
  // `layout` holds then.
  // `guard` runs every user action, so an unexpected failure reaches the
  // user as an error box instead of unwinding through the window procedure.
  // Number fields copy and paste through `clipboard` and sound refusals
  // through `beeper`; a binder without them makes no number fields. They
  // draw their colours through `scheme` when there is one.
  ControlBinder(const win32::UniqueGdi<HFONT>& font, const win32::WindowDpi& layout,
                std::function<void(const std::function<void()>&)> guard,
                Clipboard* clipboard = nullptr, Beeper* beeper = nullptr,
                ColorScheme* scheme = nullptr)
      : font_(font),
        layout_(layout),
        guard_(std::move(guard)),
        clipboard_(clipboard),
        beeper_(beeper),
        scheme_(scheme) {}

  HWND CheckBox(TCheckBox& model, HWND parent, RECT r);
  HWND Radio(TRadioButton& model, HWND parent, RECT r, bool first_of_group);
  HWND Edit(TEdit& model, HWND parent, RECT r, DWORD extra_style = 0);
  HWND NumEdit(TOrNumEdit& model, HWND parent, RECT r);
  // The number field and its arrow pair to the right of it.
  HWND Spin(TUpDown& model, TOrNumEdit& field, HWND parent, RECT r);
  // A tooltip shown while the pointer rests on `control` (a hint).
  void Hint(HWND control, const std::string& text);
  HWND Button(TButton& model, HWND parent, RECT r);
  HWND Label(TLabel& model, HWND parent, RECT r);
  // Text that no code changes.
  HWND StaticText(const std::string& text, HWND parent, RECT r, HFONT font = nullptr);
  HWND GroupBox(const std::string& text, HWND parent, RECT r);
  // Keeps a window's enabled state with a model that has no control of its own.
  void FollowEnabled(TControl& model, HWND hwnd);

  // Routing from the window procedures; true when the message was a bound control's.
  bool OnCommand(HWND control, int code);
  bool OnNotify(const NMHDR* header, LRESULT* result);

  static RECT Rect(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

 private:
  // Notes which check box is handling a mouse-button release, so its click
  // tells a mouse toggle from a keyboard one.
  static LRESULT CALLBACK WatchRelease(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR binder);
  HWND releasing_ = nullptr;

  HWND Create(const wchar_t* cls, const std::string& text, DWORD style, HWND parent, RECT r,
              DWORD ex_style = 0);
  void Common(TControl& model, HWND hwnd, std::function<void()> refresh_value);

  const win32::UniqueGdi<HFONT>& font_;
  const win32::WindowDpi& layout_;
  std::function<void(const std::function<void()>&)> guard_;
  Clipboard* clipboard_;
  Beeper* beeper_;
  ColorScheme* scheme_;
  HWND tooltip_ = nullptr;
  std::map<HWND, std::function<void(int)>> commands_;
  std::map<HWND, std::function<LRESULT(const NMHDR*)>> notifies_;
  // The controls' observation of their models, let go with the binder.
  std::vector<Connection> observers_;
  int next_id_ = 1000;
};

}  // namespace horalux
