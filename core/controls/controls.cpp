#include "core/controls/controls.h"

#include <climits>
#include <cstdlib>

namespace horalux {

void TControl::SetEnabled(bool v) {
  if (enabled_ == v) return;
  enabled_ = v;
  Changed();
}

void TControl::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  Changed();
}

void TControl::SetCaption(const std::string& v) {
  if (caption_ == v) return;
  caption_ = v;
  Changed();
}

void TCheckBox::SetChecked(bool v) {
  if (checked_ == v) return;
  checked_ = v;
  Changed();
  OnClick();
}

void TRadioButton::SetChecked(bool v) {
  if (checked_ == v) return;
  checked_ = v;
  if (v) {
    for (TRadioButton* other : *group_) {
      if (other != this && other->checked_) {
        other->checked_ = false;
        other->Changed();
      }
    }
  }
  Changed();
  if (v) OnClick();
}

void TEdit::SetText(const std::string& v) {
  StoreText(v);
}

void TEdit::StoreText(const std::string& v) {
  if (text_ == v) return;
  text_ = v;
  Changed();
}

int TUpDown::Position() const {
  if (associate_) {
    const int kNotANumber = INT_MIN;
    int typed = StrToIntDef(associate_->Text(), kNotANumber);
    if (typed != kNotANumber && typed >= min_ && typed <= max_) {
      position_ = static_cast<std::int16_t>(typed);
    }
  }
  return position_;
}

void TUpDown::SetPosition(int v) {
  position_ = static_cast<std::int16_t>(v);
  if (associate_) associate_->SetText(std::to_string(position_));
  Changed();
}

void TUpDown::ClampToRange() {
  int p = Position();
  if (p < min_)
    SetPosition(min_);
  else if (p > max_)
    SetPosition(max_);
}

void TUpDown::Step(bool up) {
  int p = Position() + (up ? increment_ : -increment_);
  if (p < min_) p = min_;
  if (p > max_) p = max_;
  SetPosition(p);
}

void TTabSheet::SetTabVisible(bool v) {
  if (tab_visible_ == v) return;
  tab_visible_ = v;
  Changed();
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (active_ == page) return;
  active_ = page;
  Changed();
}

void TPageControl::UserSelect(TTabSheet* page) {
  if (active_ == page) return;
  active_ = page;
  Changed();
  OnChange();
}

void TPageControl::UserSelectNext(bool forward) {
  std::vector<TTabSheet*> shown;
  for (TTabSheet* page : pages_)
    if (page->TabVisible()) shown.push_back(page);
  if (shown.empty()) return;
  std::size_t at = 0;
  while (at < shown.size() && shown[at] != active_) ++at;
  const std::size_t n = shown.size();
  // With no shown page active, forward starts at the first and back at the last.
  const std::size_t next = at == n ? (forward ? 0 : n - 1) : (at + (forward ? 1 : n - 1)) % n;
  UserSelect(shown[next]);
}

int StrToIntDef(const std::string& text, int default_value) {
  if (text.empty()) return default_value;
  std::size_t i = 0;
  // Leading blanks are skipped, trailing ones are not.
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return default_value;
  long long value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return default_value;
    value = value * base + digit;
    if (value > 0xFFFFFFFFLL) return default_value;
  }
  if (base == 10) {
    if (negative) value = -value;
    if (value < INT_MIN || value > INT_MAX) return default_value;
    return static_cast<int>(value);
  }
  // Hexadecimal spells the 32-bit pattern; its negation must fit as well
  // ("-0x80000000" does not).
  long long pattern = static_cast<int>(static_cast<std::uint32_t>(value));
  if (negative) pattern = -pattern;
  if (pattern < INT_MIN || pattern > INT_MAX) return default_value;
  return static_cast<int>(pattern);
}

}  // namespace horalux
