#pragma once
#include <span>
#include <string>
#include <variant>

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

struct SettingsKey {
  const char* section;
  const char* key;
  SettingControl control;
  SettingDefault default_value;
  WhenMissing when_missing = WhenMissing::kDefault;
};

// Every key of the settings screen, in the order the file is written.
std::span<const SettingsKey> SettingsKeys();

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
