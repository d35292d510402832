#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <variant>

#include "core/net/time_servers.h"
#include "core/settings/ini_file.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// The control of the main window that holds a key's value. Its kind is the
// key's type: check boxes and radio buttons are booleans, spin controls
// signed 16-bit integers, the tab control the index of its selected tab,
// edit fields texts.
using SettingControl =
    std::variant<TCheckBox JikokuScreen::*, TRadioButton JikokuScreen::*, TUpDown JikokuScreen::*,
                 TPageControl JikokuScreen::*, TEdit JikokuScreen::*, TOrNumEdit JikokuScreen::*,
                 TOrNEdit JikokuScreen::*>;

// The field that shows a number: the control itself, or the spin's associate.
using NumberField = std::variant<TOrNEdit JikokuScreen::*, TOrNumEdit JikokuScreen::*>;

// A key's value when the file does not give it: a number (booleans 0 or 1)
// or a text, after the key's type.
struct SettingDefault {
  constexpr SettingDefault(int n) : number(n) {}
  constexpr SettingDefault(bool b) : number(b ? 1 : 0) {}
  constexpr SettingDefault(const char* t) : text(t) {}
  int number = 0;
  const char* text = "";
};

// Whether a missing key leaves the value the screen shows before loading.
enum class WhenMissing { kDefault, kScreenValue };

// Whether the user may type or paste a sign into a number field. A field
// that refuses it still keeps a sign the program (or the ini file) sets.
enum class TypedSign { kRefused, kAccepted };

// A setting shown as a whole number: its field, the spin's range and arrow
// step, how the field takes input and the texts around it on the screen.
struct NumberFacts {
  NumberField field;
  // The spin's bounds and step; all 0 for a field without a spin.
  int min;
  int max;
  int step;
  // The integer digits the field takes.
  int digits;
  TypedSign sign;
  // Thousands separators while the field is not being edited.
  bool comma;
  // The row's label before the field (a screen reader names the field by
  // it) and the unit with the range after it, where "{min}" and "{max}"
  // stand for the bounds and "{max_minutes}" for the upper one in minutes
  // (UnitText in field_captions.h fills them in).
  const char* label;
  const char* unit;
};

// One control of the main window: where the file keeps its value, the value
// it starts with, and, for numbers, everything the screen shows about it.
struct SettingsKey {
  // nullptr for a control that no file keeps (its value follows from others).
  const char* section;
  // The key, which is also the control's name.
  const char* key;
  SettingControl control;
  SettingDefault default_value;
  WhenMissing when_missing = WhenMissing::kDefault;
  std::optional<NumberFacts> number = std::nullopt;
  // The tooltip over the control (and over a spin's field and arrows).
  const char* hint = nullptr;
};

namespace settings_rows {

using S = JikokuScreen;
inline constexpr const char* kJikoku = "Jikoku";
inline constexpr WhenMissing kDefault = WhenMissing::kDefault;
inline constexpr WhenMissing kScreen = WhenMissing::kScreenValue;
inline constexpr TypedSign kNoSign = TypedSign::kRefused;
inline constexpr TypedSign kSign = TypedSign::kAccepted;
inline constexpr const char* kMillisecondsHint = "1/1000秒";
inline constexpr const char* kFineTuneLabel = "微調整　　　　： 取得時刻 ＋ ";
inline constexpr const char* kMillisecondsUnit = "ms(1/1000秒)";

// Every control with a fact of its own, the kept keys first in the order
// the file is written. A row reads: section, key, control, default, when
// missing, number {field, min, max, step, digits, typed sign, thousands
// separators, label, unit}, hint.
inline constexpr SettingsKey kRows[] = {
    {kJikoku, "cbEhyouji", &S::cbEhyouji, false, kScreen},
    {kJikoku, "ActivePage", &S::PageControl1, 0},
    {kJikoku, "udChouseiHTTP", &S::udChouseiHTTP, 500, kDefault,
     NumberFacts{&S::edtChouseiHTTP, -5000, 5000, 10, 9, kSign, false, kFineTuneLabel,
                 kMillisecondsUnit},
     "1/1000秒（秒の境目を測るときは、500で補正なし）"},
    {kJikoku, "udChouseiSNTP", &S::udChouseiSNTP, 200, kDefault,
     NumberFacts{&S::edtChouseiSNTP, -5000, 5000, 10, 9, kSign, false, kFineTuneLabel,
                 kMillisecondsUnit},
     kMillisecondsHint},
    {kJikoku, "udChien", &S::udChien, 300, kDefault,
     NumberFacts{&S::edtChien, 1, 600, 10, 9, kNoSign, true, "動作遅延　　　：",
                 "秒後にインターネットより時刻を取得[{min} ～ {max}秒({max_minutes}分) ]"}},
    {kJikoku, "udGosa", &S::udGosa, 60, kDefault,
     NumberFacts{&S::edtGosa, 1, 600, 10, 9, kNoSign, true, "エラー回避　　： ",
                 "秒以上の時刻の誤差は、時刻を修正しない[ {min} ～ {max}秒({max_minutes}分) ]"}},
    {kJikoku, "edtJisa", &S::edtJisa, "0", kScreen,
     NumberFacts{&S::edtJisa, 0, 0, 0, 9, kSign, false, "時差の調整　　：", "秒"}},
    {kJikoku, "udGyou", &S::udGyou, 100, kDefault,
     NumberFacts{&S::edtGyou, 0, 500, 10, 9, kNoSign, true, "アクセス記録　：",
                 "行まで記録[ {min} ～ {max}行 ]"}},
    {kJikoku, "rbHTTP", &S::rbHTTP, false, kDefault, std::nullopt,
     "ＳＮＴＰで繋がらないときはこちら"},
    {kJikoku, "rbJapan", &S::rbJapan, false},
    {kJikoku, "rbFennick1", &S::rbFennick1, true},
    {kJikoku, "rbFennick2", &S::rbFennick2, false},
    {kJikoku, "edtFennick1", &S::edtFennick1, ""},
    {kJikoku, "edtFennick2", &S::edtFennick2, ""},
    {kJikoku, "cbSetuzokuT", &S::cbSetuzokuT, true, kScreen},
    {kJikoku, "cbProxy", &S::cbProxy, false},
    {kJikoku, "edtProxy", &S::edtProxy, ""},
    {kJikoku, "edtPort", &S::edtPort, "", kDefault,
     NumberFacts{&S::edtPort, 0, 0, 0, 5, kNoSign, false, "ポート　：", ""}},
    {kJikoku, "cbNoCkProxy", &S::cbNoCkProxy, false},
    {kJikoku, "cbSeimitsu", &S::cbSeimitsu, true, kDefault, std::nullopt,
     "Dateの秒が変わる瞬間を測り、0.5秒の誤差をなくします"},
    {kJikoku, "cbSNTPAuto", &S::cbSNTPAuto, true},
    {kJikoku, "cbSNTP", &S::cbSNTP, false},
    {kJikoku, "edtSNTP", &S::edtSNTP, kExampleServerAddress, kScreen},
    // Kept by no file: the opposite of "rbHTTP".
    {nullptr, "rbSNTP", &S::rbSNTP, true, kDefault, std::nullopt,
     "ほとんどの人はこちら（より正確です）"},
};

// Never defined: a lookup that reaches it names a control without a row,
// and the build stops there.
void ThisControlHasNoSettingsRow();
void ThisControlShowsNoNumber();
void ThisDefaultIsNoWholeNumber();

// A default kept as text read as a whole number: an optional sign, then
// decimal digits.
constexpr int WholeNumber(const char* text) {
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  if (*text == '\0') ThisDefaultIsNoWholeNumber();
  int n = 0;
  for (; *text; ++text) {
    if (*text < '0' || *text > '9') ThisDefaultIsNoWholeNumber();
    n = n * 10 + (*text - '0');
  }
  return negative ? -n : n;
}

template <typename T, typename Variant>
inline constexpr bool kHolds = false;
template <typename T, typename... Ts>
inline constexpr bool kHolds<T, std::variant<Ts...>> = (std::is_same_v<T, Ts> || ...);

template <typename Member, typename Variant>
constexpr bool Same(const Variant& v, Member member) {
  if constexpr (kHolds<Member, Variant>)
    return std::holds_alternative<Member>(v) && std::get<Member>(v) == member;
  else
    return false;
}

template <typename Member>
constexpr bool Names(const SettingsKey& row, Member member) {
  return Same(row.control, member) || (row.number && Same(row.number->field, member));
}

constexpr std::size_t CountKeptRows() {
  std::size_t n = 0;
  for (const SettingsKey& row : kRows) n += row.section ? 1 : 0;
  return n;
}
inline constexpr std::size_t kKeptRows = CountKeptRows();

constexpr bool KeptRowsComeFirst() {
  for (std::size_t i = 0; i < kKeptRows; ++i)
    if (!kRows[i].section) return false;
  return true;
}
static_assert(KeptRowsComeFirst(),
              "the file's keys must come before the controls it does not keep");

constexpr bool SpinDefaultsWithinRange() {
  for (const SettingsKey& row : kRows)
    if (std::holds_alternative<TUpDown S::*>(row.control) &&
        (!row.number || row.default_value.number < row.number->min ||
         row.default_value.number > row.number->max))
      return false;
  return true;
}
static_assert(SpinDefaultsWithinRange(), "every spin needs a range holding its default");

}  // namespace settings_rows

// The row of a control, or of the number field that shows it, named by its
// member: `RowOf<&JikokuScreen::udGosa>()`. A control without a row does not build.
template <auto Member>
consteval const SettingsKey& RowOf() {
  for (const SettingsKey& row : settings_rows::kRows)
    if (settings_rows::Names(row, Member)) return row;
  settings_rows::ThisControlHasNoSettingsRow();
  return settings_rows::kRows[0];
}

// The number facts of a spin or number field; any other control does not build.
template <auto Member>
consteval const NumberFacts& NumberOf() {
  const SettingsKey& row = RowOf<Member>();
  if (!row.number) settings_rows::ThisControlShowsNoNumber();
  return *row.number;
}

// The default of a number field that keeps its value as text, as the
// number it spells; a default that spells none does not build.
template <auto Member>
consteval int TextDefaultNumberOf() {
  return settings_rows::WholeNumber(RowOf<Member>().default_value.text);
}

// Every control with a row, kept keys first.
std::span<const SettingsKey> ControlRows();
// Every key of the settings screen, in the order the file is written.
std::span<const SettingsKey> SettingsKeys();

// The field that shows a row's number on this screen.
TOrNumEdit& FieldOf(const NumberFacts& number, JikokuScreen& screen);

// A key's value as read from a file or a control.
using SettingValue = std::variant<bool, int, std::string>;

SettingValue ReadKey(const SettingsKey& row, const IniFile& ini, const JikokuScreen& screen);
bool WriteKey(const SettingsKey& row, IniFile& ini, const JikokuScreen& screen);
// Puts a value on the key's control; the control's change handler runs.
void ShowValue(const SettingsKey& row, JikokuScreen& screen, const SettingValue& value);
SettingValue DefaultValue(const SettingsKey& row);
// The values that follow from others: the NTP/SNTP choice is the opposite
// of "rbHTTP", and the hand-given server box decides the automatic one,
// whatever the file says for it.
void ShowDerivedValues(JikokuScreen& screen);
// Every key's default, as the screen shows before loading.
void ShowDefaults(JikokuScreen& screen);

}  // namespace horalux
