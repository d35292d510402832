#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/controls/contrast_colors.h"
#include "core/controls/controls.h"
#include "core/platform/beeper.h"
#include "core/platform/clipboard.h"

namespace horalux {

// The value text a number field keeps for any input: full-width digits,
// "－" and "．" read as their ASCII forms, separators dropped, at most
// `integer_length` integer digits (else empty), at most `decimal_length`
// decimals, a sign only in front and only with `minus`, no leading zeros.
std::string NormalizeNumber(std::string_view input, int integer_length, int decimal_length,
                            bool minus);

// What a field's keys are, whatever the keyboard.
enum class EditKey {
  Backspace,
  Delete,
  SelectAll,  // Ctrl+A
  Copy,       // Ctrl+C
  Cut,        // Ctrl+X
  Paste,      // Ctrl+V
  Home,
  End,
  Left,
  Right,
  PageUp,
  PageDown,
  Up,
  Down,
  Enter,
};

// Held modifier keys, as a set of bits.
enum ShiftState : unsigned { kShiftNone = 0, kShiftShift = 1, kShiftCtrl = 2, kShiftAlt = 4 };

enum class KeyOutcome {
  Done,           // consumed (also when it changed nothing)
  Refused,        // refused; the beep has been given
  FocusNext,      // the focus moves to the next control in tab order
  FocusPrevious,  // ... to the previous one
  FocusTarget,    // ... to `KeyResult::target`
};

class TOrNumEdit;

struct KeyResult {
  KeyOutcome outcome = KeyOutcome::Done;
  TOrNumEdit* target = nullptr;
};

// The items of the field's own context menu that are usable now.
struct EditMenuState {
  bool undo = false;
  bool cut = false;
  bool copy = false;
  bool paste = false;
  bool del = false;
  bool select_all = false;
};

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TVertAlignment { taAlignTop, taAlignBottom, taVCenter };

// The editing model of a numeric field. It edits like a calculator display:
// input always goes to the end and the selection is all or nothing. `Text()`
// is the value text (no separators); `DisplayText()` is what is drawn.
class TOrNumEdit : public TEdit {
 public:
  explicit TOrNumEdit(std::string name) : TEdit(std::move(name)) {}

  // The clipboard and the refusal sound; user actions need them.
  void Connect(Clipboard& clipboard, Beeper& beeper) {
    clipboard_ = &clipboard;
    beeper_ = &beeper;
  }

  // The program (or another program, or a spin button) sets the value; it
  // is normalised, and keeps its sign whenever `Minus` allows one.
  void SetText(const std::string& v) override;
  // A value entered as the user would type it over the whole text: one
  // change, normalised, kept for undo, OnChange raised.
  void TypeValue(const std::string& v);

  int IntegerLength() const { return integer_length_; }
  void SetIntegerLength(int v);
  int DecimalLength() const { return decimal_length_; }
  void SetDecimalLength(int v);
  bool Minus() const { return minus_; }
  void SetMinus(bool v);
  // Whether the user may type or paste a sign. A field may refuse the sign
  // from the keyboard and still keep one that the program sets.
  bool MinusInput = true;

  bool Comma = true;
  bool IntegerFixed = false;
  bool DecimalFixed = false;
  std::string LeftMark;
  std::string RightMark;
  TAlignment Alignment = TAlignment::taRightJustify;
  TVertAlignment VertAlignment = TVertAlignment::taVCenter;
  int LeftMargin = 2, RightMargin = 2, TopMargin = 2, BottomMargin = 2;
  bool AutoSelect = true;
  bool AutoSize = true;
  bool HideSelection = true;
  bool ErrorBeep = true;
  bool EnterFocusMove = false;
  bool ArrowFocusMove = false;
  bool ImageCopy = false;
  // Options.
  bool eoMinusOnly = false;
  bool eoArrowUp = true;
  bool eoArrowDown = true;
  // Raised after every change the user makes.
  Signal OnChange;

  std::string DisplayText() const;
  bool Selected() const { return selected_; }
  bool CanUndo() const { return can_undo_; }

  // A typed character (UTF-32; full-width digits, "－" and "．" count as
  // their ASCII forms). Control characters are keys, not characters.
  KeyOutcome Char(char32_t c);
  // A key with the modifiers held.
  virtual KeyResult Key(EditKey key, unsigned shift = kShiftNone);

  // Focus and mouse.
  virtual void Enter();
  void Exit();
  void SelectAll();
  void DropSelection();

  // Context menu.
  EditMenuState MenuState();
  void Undo();
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();
  void DeleteSelection();

 protected:
  KeyOutcome Refuse();

 private:
  // One accepted change: keep the undo text, take the value, tell the view
  // and the handler.
  void Change(const std::string& value);
  void Renormalize();
  bool SignTyping() const { return minus_ && MinusInput; }

  Clipboard* clipboard_ = nullptr;
  Beeper* beeper_ = nullptr;
  int integer_length_ = 9;
  int decimal_length_ = 3;
  bool minus_ = true;
  bool selected_ = false;
  bool can_undo_ = false;
  std::string undo_text_;
};

// A numeric field with focus colours and keyboard movement between fields.
class TOrNEdit : public TOrNumEdit {
 public:
  explicit TOrNEdit(std::string name) : TOrNumEdit(std::move(name)) {
    AutoSelect = false;
    AutoSize = false;
  }

  bool IsReturnNext = false;
  unsigned KeyAddShift = kShiftCtrl;
  TOrNEdit* KeyUpNext = nullptr;
  TOrNEdit* KeyDownNext = nullptr;
  TOrNEdit* KeyLeftNext = nullptr;
  TOrNEdit* KeyRightNext = nullptr;
  // Colours as 0x00BBGGRR.
  std::uint32_t ColorActive = clFocusedField;  // red 238, green 255, blue 255
  std::uint32_t ColorFontActive = clBlack;
  bool TabStop = true;

  KeyResult Key(EditKey key, unsigned shift = kShiftNone) override;

 private:
  // The first control along the chain of `next` that can take the focus.
  TOrNEdit* Follow(TOrNEdit* TOrNEdit::*next);
};

}  // namespace horalux
