#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/controls/signal.h"

namespace horalux {

// A colour as the screen names it: a system colour (high bit set, the low
// byte the system's colour index) or an RGB value 0x00BBGGRR.
using TColor = std::uint32_t;
inline constexpr TColor clWindowText = 0x80000008;
inline constexpr TColor clWindow = 0x80000005;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clGray = 0x00808080;
inline constexpr TColor clSilver = 0x00C0C0C0;

// Models of the screen's controls. The core reads and writes these; a view
// binds each to a real control both ways. Handlers run also when the program
// sets a value, as the screen's logic relies on it. Each event is a Signal:
// the window binds the program's handler once (HandlerTable) and views
// observe through connections they keep.
class TControl {
 public:
  explicit TControl(std::string name) : name_(std::move(name)) {}
  virtual ~TControl() = default;
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  const std::string& Name() const { return name_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  TColor FontColor() const { return font_color_; }
  void SetFontColor(TColor v) { Assign(font_color_, v); }
  // The background.
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Assign(color_, v); }
  // Moves the input focus to the control when its view is shown.
  void SetFocus() { on_focus_request(); }

  // The bound views' refresh; raised after every change the model takes.
  Signal on_view_update;
  Signal on_focus_request;

 protected:
  void Changed() { on_view_update(); }
  // Stores a new value and refreshes the view when it differs.
  void Assign(TColor& field, TColor v) {
    if (field == v) return;
    field = v;
    Changed();
  }

 private:
  std::string name_;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  TColor font_color_ = clWindowText;
  TColor color_ = clBtnFace;
};

class TLabel : public TControl {
 public:
  using TControl::TControl;
};

class TPanel : public TControl {
 public:
  using TControl::TControl;
};

class TButton : public TControl {
 public:
  using TControl::TControl;
  // The caption's colour while the button cannot be pressed.
  TColor InactiveFontColor() const { return inactive_font_color_; }
  void SetInactiveFontColor(TColor v) { Assign(inactive_font_color_, v); }
  Signal OnClick;
  void Click() { OnClick(); }

 private:
  TColor inactive_font_color_ = clGray;
};

class TCheckBox : public TControl {
 public:
  using TControl::TControl;
  bool Checked() const { return checked_; }
  // Runs OnClick whenever the state changes.
  void SetChecked(bool v);
  Signal OnClick;
  // The user toggled the box: with the mouse, as its button was released
  // over it, or from the keyboard. Each runs after OnClick.
  Signal OnMouseUp;
  Signal OnKeyToggle;

 private:
  bool checked_ = false;
};

// Radio buttons sharing one group are mutually exclusive.
class TRadioButton : public TControl {
 public:
  TRadioButton(std::string name, std::vector<TRadioButton*>* group)
      : TControl(std::move(name)), group_(group) {
    group_->push_back(this);
  }
  bool Checked() const { return checked_; }
  // Selecting clears the others of the group and runs OnClick; clearing
  // runs nothing.
  void SetChecked(bool v);
  Signal OnClick;

 private:
  std::vector<TRadioButton*>* group_;
  bool checked_ = false;
};

class TEdit : public TControl {
 public:
  explicit TEdit(std::string name) : TControl(std::move(name)) { SetColor(clWindow); }
  const std::string& Text() const { return text_; }
  // Fields with rules of their own (numbers) shape what the program sets.
  virtual void SetText(const std::string& v);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v) { read_only_ = v; }
  // Runs when the field loses the input focus.
  Signal OnExit;
  void Exit() { OnExit(); }

 protected:
  // Stores the text as it is and refreshes the view.
  void StoreText(const std::string& v);

 private:
  std::string text_;
  bool read_only_ = false;
};

// A spin control with its associated field. Positions are signed 16-bit.
// A position outside the range is kept until the control is first shown,
// which brings it to the nearer bound.
class TUpDown : public TControl {
 public:
  TUpDown(std::string name, TEdit* associate, int min, int max, int increment)
      : TControl(std::move(name)),
        associate_(associate),
        min_(min),
        max_(max),
        increment_(increment) {}
  // The field's text when it is a whole number within the range (the user
  // may have typed it), else the stored position.
  int Position() const;
  void SetPosition(int v);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Increment() const { return increment_; }
  TEdit* Associate() const { return associate_; }
  void ClampToRange();
  // One arrow press: up (+increment) or down, kept within the range.
  void Step(bool up);

 private:
  TEdit* associate_;
  int min_;
  int max_;
  int increment_;
  mutable std::int16_t position_ = 0;
};

class TTabSheet : public TControl {
 public:
  TTabSheet(std::string name, int page_index) : TControl(std::move(name)), index_(page_index) {}
  int PageIndex() const { return index_; }
  bool TabVisible() const { return tab_visible_; }
  void SetTabVisible(bool v);

 private:
  int index_;
  bool tab_visible_ = true;
};

class TPageControl : public TControl {
 public:
  using TControl::TControl;
  void AddPage(TTabSheet* page) { pages_.push_back(page); }
  const std::vector<TTabSheet*>& Pages() const { return pages_; }
  TTabSheet* ActivePage() const { return active_; }
  // Selecting a page from the program does not run OnChange, nor does it
  // reveal a hidden tab.
  void SetActivePage(TTabSheet* page);
  // The index of the active page, -1 when none.
  int ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }
  // The user picked a tab: select it and run OnChange.
  void UserSelect(TTabSheet* page);
  // The user asked for the next (or previous) page whose tab is shown, in
  // page order and round from the last to the first.
  void UserSelectNext(bool forward);
  Signal OnChange;

 private:
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};

class TStatusBar : public TControl {
 public:
  using TControl::TControl;
  const std::string& SimpleText() const { return Caption(); }
  void SetSimpleText(const std::string& v) { SetCaption(v); }
};

// Decimal integer of a text, or the default when it is not one or does not
// fit a signed 32-bit integer (StrToIntDef).
// Accepts an optional sign and "$"/"0x" hexadecimal, like the framework does.
int StrToIntDef(const std::string& text, int default_value);

}  // namespace horalux
