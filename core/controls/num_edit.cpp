#include "core/controls/num_edit.h"

#include <cstddef>

namespace horalux {
namespace {

// Decodes one UTF-8 character at `i`; 0 with `len` 0 when it is incomplete
// or malformed.
char32_t DecodeUtf8(std::string_view s, std::size_t i, std::size_t* len) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t n = c < 0x80           ? 1
                  : (c >> 5) == 0x6  ? 2
                  : (c >> 4) == 0xE  ? 3
                  : (c >> 3) == 0x1E ? 4
                                     : 0;
  *len = 0;
  if (n == 0 || i + n > s.size()) return 0;
  char32_t cp = n == 1 ? c : c & (0x7F >> n);
  for (std::size_t k = 1; k < n; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + k]);
    if ((cc & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (cc & 0x3F);
  }
  *len = n;
  return cp;
}

// The ASCII form of a full-width number character; 0 when it has none.
// Code page 932's minus reads as U+FF0D or U+2212 depending on the table.
char FoldWide(char32_t c) {
  if (c >= U'０' && c <= U'９') return static_cast<char>('0' + (c - U'０'));
  if (c == U'－' || c == U'\u2212') return '-';
  if (c == U'．') return '.';
  return 0;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Leading zeros of the integer part go; an empty integer part before a
// point becomes "0"; the sign stays in front.
std::string TrimZeros(const std::string& v) {
  std::size_t start = !v.empty() && v[0] == '-' ? 1 : 0;
  std::size_t point = v.find('.');
  std::size_t int_end = point == std::string::npos ? v.size() : point;
  std::string integer = v.substr(start, int_end - start);
  std::size_t nz = integer.find_first_not_of('0');
  if (nz == std::string::npos)
    integer = integer.empty() && point == std::string::npos ? "" : "0";
  else
    integer = integer.substr(nz);
  return v.substr(0, start) + integer + v.substr(int_end);
}

struct Parts {
  std::string sign, integer, decimals;
  bool point = false;
};

Parts Split(const std::string& v) {
  Parts p;
  std::size_t i = 0;
  if (!v.empty() && v[0] == '-') p.sign = "-", i = 1;
  std::size_t dot = v.find('.');
  if (dot == std::string::npos) {
    p.integer = v.substr(i);
  } else {
    p.integer = v.substr(i, dot - i);
    p.decimals = v.substr(dot + 1);
    p.point = true;
  }
  return p;
}

}  // namespace

std::string NormalizeNumber(std::string_view input, int integer_length, int decimal_length,
                            bool minus) {
  std::string ascii;
  for (std::size_t i = 0; i < input.size();) {
    std::size_t len;
    char32_t c = DecodeUtf8(input, i, &len);
    if (len == 0) break;
    i += len;
    if (c < 0x80) {
      ascii += static_cast<char>(c);
    } else if (char folded = FoldWide(c)) {
      ascii += folded;
    } else if (c != U'，') {
      break;
    }
  }
  std::string v;
  bool point = false;
  int decimals = 0;
  for (std::size_t i = 0; i < ascii.size(); ++i) {
    char c = ascii[i];
    if (c == ',') continue;
    if (c == '.') {
      if (decimal_length == 0 || point) break;
      point = true;
    } else if (c == '-') {
      if (i != 0 || !minus) break;
    } else if (!IsDigit(c)) {
      break;
    } else if (point && ++decimals > decimal_length) {
      continue;
    }
    v += c;
  }
  Parts p = Split(v);
  if (static_cast<int>(p.integer.size()) > integer_length) return "";
  return TrimZeros(v);
}

void TOrNumEdit::SetText(const std::string& v) {
  StoreText(NormalizeNumber(v, integer_length_, decimal_length_, minus_));
}

void TOrNumEdit::SetIntegerLength(int v) {
  integer_length_ = v;
  Renormalize();
}

void TOrNumEdit::SetDecimalLength(int v) {
  decimal_length_ = v;
  Renormalize();
}

void TOrNumEdit::SetMinus(bool v) {
  minus_ = v;
  Renormalize();
}

void TOrNumEdit::TypeValue(const std::string& v) {
  Change(NormalizeNumber(v, integer_length_, decimal_length_, minus_));
}

void TOrNumEdit::Renormalize() {
  SetText(Text());
  // An undo must not bring back a value the new rules refuse.
  undo_text_ = NormalizeNumber(undo_text_, integer_length_, decimal_length_, minus_);
}

std::string TOrNumEdit::DisplayText() const {
  Parts p = Split(Text());
  if (Comma) {
    std::string grouped;
    for (std::size_t i = 0; i < p.integer.size(); ++i) {
      if (i > 0 && (p.integer.size() - i) % 3 == 0) grouped += ',';
      grouped += p.integer[i];
    }
    p.integer = grouped;
  }
  if (DecimalFixed) {
    p.decimals.resize(decimal_length_, '0');
    p.point = decimal_length_ > 0;
  }
  if ((IntegerFixed || DecimalFixed) && p.integer.empty()) p.integer = "0";
  std::string shown = p.sign + p.integer + (p.point ? "." : "") + p.decimals;
  return shown.empty() ? shown : LeftMark + shown + RightMark;
}

KeyOutcome TOrNumEdit::Refuse() {
  if (ErrorBeep && beeper_) beeper_->beep();
  return KeyOutcome::Refused;
}

void TOrNumEdit::Change(const std::string& value) {
  undo_text_ = Text();
  can_undo_ = true;
  selected_ = false;
  StoreText(value);
  OnChange();
}

KeyOutcome TOrNumEdit::Char(char32_t c) {
  if (char folded = FoldWide(c)) c = static_cast<char32_t>(folded);
  bool digit = c >= U'0' && c <= U'9';
  if (ReadOnly() || (!digit && c != U'.' && c != U'-')) return Refuse();
  if (c == U'-' && !SignTyping()) return Refuse();
  if (c == U'.' && decimal_length_ == 0) return Refuse();
  if (selected_) Change("");
  Parts p = Split(Text());
  std::string v = Text();
  if (digit) {
    bool room = p.point ? static_cast<int>(p.decimals.size()) < decimal_length_
                        : static_cast<int>(p.integer.size()) < integer_length_;
    if (!room) return Refuse();
    v = TrimZeros(v + static_cast<char>(c));
  } else if (c == U'.') {
    if (p.point) return Refuse();
    v = TrimZeros(v + '.');
  } else {
    v = p.sign.empty() ? "-" + v : v.substr(1);
  }
  Change(v);
  return KeyOutcome::Done;
}

KeyResult TOrNumEdit::Key(EditKey key, unsigned shift) {
  switch (key) {
    case EditKey::Backspace:
    case EditKey::Delete: {
      if (ReadOnly()) return {Refuse()};
      if (selected_) {
        Change("");
      } else if (!Text().empty()) {
        std::string v = Text().substr(0, Text().size() - 1);
        if (!v.empty() && v.back() == '.') v.pop_back();
        Change(v);
      }
      return {};
    }
    case EditKey::SelectAll:
      SelectAll();
      return {};
    case EditKey::Copy:
      CopyToClipboard();
      return {};
    case EditKey::Cut:
      if (ReadOnly()) return {Refuse()};
      CutToClipboard();
      return {};
    case EditKey::Paste:
      if (ReadOnly()) return {Refuse()};
      PasteFromClipboard();
      return {};
    case EditKey::Left:
    case EditKey::Right:
      if (shift & kShiftShift) {
        SelectAll();
        return {};
      }
      DropSelection();
      return {};
    case EditKey::Home:
    case EditKey::End:
    case EditKey::PageUp:
    case EditKey::PageDown:
      DropSelection();
      return {};
    case EditKey::Up:
    case EditKey::Down: {
      DropSelection();
      bool up = key == EditKey::Up;
      if (ArrowFocusMove && (up ? eoArrowUp : eoArrowDown))
        return {up ? KeyOutcome::FocusPrevious : KeyOutcome::FocusNext};
      return {};
    }
    case EditKey::Enter:
      if (EnterFocusMove) return {KeyOutcome::FocusNext};
      return {Refuse()};
  }
  return {Refuse()};
}

void TOrNumEdit::Enter() {
  if (AutoSelect) SelectAll();
}

void TOrNumEdit::Exit() {
  if (Text() == "-" && !eoMinusOnly) Change("");
  if (HideSelection) DropSelection();
  TEdit::Exit();
}

void TOrNumEdit::SelectAll() {
  if (selected_) return;
  selected_ = true;
  Changed();
}

void TOrNumEdit::DropSelection() {
  if (!selected_) return;
  selected_ = false;
  Changed();
}

EditMenuState TOrNumEdit::MenuState() {
  EditMenuState m;
  bool writable = !ReadOnly();
  m.undo = can_undo_ && writable;
  m.cut = m.del = selected_ && writable;
  m.copy = selected_;
  m.paste = writable && clipboard_ && clipboard_->has_text();
  m.select_all = !selected_ && !Text().empty();
  return m;
}

void TOrNumEdit::Undo() {
  if (!can_undo_ || ReadOnly()) return;
  std::string previous = undo_text_;
  undo_text_ = Text();
  StoreText(previous);
  selected_ = true;
  Changed();
  OnChange();
}

void TOrNumEdit::CopyToClipboard() {
  if (selected_ && clipboard_) clipboard_->set_text(ImageCopy ? DisplayText() : Text());
}

void TOrNumEdit::CutToClipboard() {
  if (!selected_ || ReadOnly()) return;
  CopyToClipboard();
  Change("");
}

void TOrNumEdit::DeleteSelection() {
  if (selected_ && !ReadOnly()) Change("");
}

void TOrNumEdit::PasteFromClipboard() {
  if (ReadOnly() || !clipboard_ || !clipboard_->has_text()) return;
  bool replace = selected_;
  std::string combined = (replace ? "" : Text()) + clipboard_->text();
  // A sign already in the value stays; a pasted one only where the user may type one.
  bool sign = minus_ && (MinusInput || (!replace && !Text().empty() && Text()[0] == '-'));
  Change(NormalizeNumber(combined, integer_length_, decimal_length_, sign));
}

KeyResult TOrNEdit::Key(EditKey key, unsigned shift) {
  if (key == EditKey::Enter && IsReturnNext) {
    if (!KeyRightNext) return {KeyOutcome::FocusNext};
    TOrNEdit* target = Follow(&TOrNEdit::KeyRightNext);
    return {target ? KeyOutcome::FocusTarget : KeyOutcome::Done, target};
  }
  if (shift == KeyAddShift) {
    TOrNEdit* TOrNEdit::*next = nullptr;
    if (key == EditKey::Up) next = &TOrNEdit::KeyUpNext;
    if (key == EditKey::Down) next = &TOrNEdit::KeyDownNext;
    if (key == EditKey::Left) next = &TOrNEdit::KeyLeftNext;
    if (key == EditKey::Right) next = &TOrNEdit::KeyRightNext;
    if (next && this->*next) {
      TOrNEdit* target = Follow(next);
      return {target ? KeyOutcome::FocusTarget : KeyOutcome::Done, target};
    }
  }
  return TOrNumEdit::Key(key, shift);
}

TOrNEdit* TOrNEdit::Follow(TOrNEdit* TOrNEdit::*next) {
  TOrNEdit* c = this->*next;
  for (int step = 0; c && step < 10; ++step) {
    if (c->Enabled() && c->TabStop) return c;
    c = c->*next;
  }
  return nullptr;
}

}  // namespace horalux
