#include "core/settings/settings_keys.h"

#include <cstdint>
#include <type_traits>
#include <utility>

namespace horalux {
namespace {

template <typename Control>
constexpr bool kIsBox = std::is_same_v<Control, TCheckBox> || std::is_same_v<Control, TRadioButton>;

// The value a control shows, in the key's type.
SettingValue ValueOf(const SettingControl& control, const JikokuScreen& screen) {
  return std::visit(
      [&screen](auto member) -> SettingValue {
        const auto& c = screen.*member;
        using Control = std::decay_t<decltype(c)>;
        if constexpr (kIsBox<Control>)
          return c.Checked();
        else if constexpr (std::is_same_v<Control, TUpDown>)
          return c.Position();
        else if constexpr (std::is_same_v<Control, TPageControl>)
          return c.ActivePageIndex();
        else
          return c.Text();
      },
      control);
}

}  // namespace

std::span<const SettingsKey> ControlRows() {
  return settings_rows::kRows;
}

std::span<const SettingsKey> SettingsKeys() {
  return ControlRows().first(settings_rows::kKeptRows);
}

TOrNumEdit& FieldOf(const NumberFacts& number, JikokuScreen& screen) {
  return std::visit([&screen](auto member) -> TOrNumEdit& { return screen.*member; }, number.field);
}

SettingValue DefaultValue(const SettingsKey& row) {
  return std::visit(
      [&row](auto member) -> SettingValue {
        using Control = std::decay_t<decltype(std::declval<const JikokuScreen&>().*member)>;
        if constexpr (kIsBox<Control>)
          return row.default_value.number != 0;
        else if constexpr (std::is_base_of_v<TEdit, Control>)
          return std::string(row.default_value.text);
        else
          return row.default_value.number;
      },
      row.control);
}

SettingValue ReadKey(const SettingsKey& row, const IniFile& ini, const JikokuScreen& screen) {
  SettingValue fallback = row.when_missing == WhenMissing::kScreenValue
                              ? ValueOf(row.control, screen)
                              : DefaultValue(row);
  return std::visit(
      [&](const auto& d) -> SettingValue {
        using T = std::decay_t<decltype(d)>;
        if constexpr (std::is_same_v<T, bool>)
          return ini.ReadBool(row.section, row.key, d);
        else if constexpr (std::is_same_v<T, int>)
          return ini.ReadInteger(row.section, row.key, d);
        else
          return ini.ReadString(row.section, row.key, d);
      },
      fallback);
}

bool WriteKey(const SettingsKey& row, IniFile& ini, const JikokuScreen& screen) {
  return std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>)
          return ini.WriteBool(row.section, row.key, v);
        else if constexpr (std::is_same_v<T, int>)
          return ini.WriteInteger(row.section, row.key, v);
        else
          return ini.WriteString(row.section, row.key, v);
      },
      ValueOf(row.control, screen));
}

void ShowValue(const SettingsKey& row, JikokuScreen& screen, const SettingValue& value) {
  std::visit(
      [&](auto member) {
        auto& c = screen.*member;
        using Control = std::decay_t<decltype(c)>;
        if constexpr (kIsBox<Control>)
          c.SetChecked(std::get<bool>(value));
        else if constexpr (std::is_same_v<Control, TUpDown>)
          // Spin values are signed 16-bit, as their controls hold them.
          c.SetPosition(static_cast<std::int16_t>(std::get<int>(value)));
        else if constexpr (std::is_same_v<Control, TPageControl>)
          // Any number other than 0 to 3 selects no tab.
          c.SetActivePage(screen.PageByIndex(std::get<int>(value)));
        else
          c.SetText(std::get<std::string>(value));
      },
      row.control);
}

void ShowDerivedValues(JikokuScreen& screen) {
  screen.rbSNTP.SetChecked(!screen.rbHTTP.Checked());
  screen.cbSNTPAuto.SetChecked(!screen.cbSNTP.Checked());
}

void ShowDefaults(JikokuScreen& screen) {
  for (const SettingsKey& row : SettingsKeys()) ShowValue(row, screen, DefaultValue(row));
  ShowDerivedValues(screen);
}

}  // namespace horalux
