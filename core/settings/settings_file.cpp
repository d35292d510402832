#include "core/settings/settings_file.h"

#include <optional>
#include <vector>

#include "core/base/file_replace.h"
#include "core/settings/settings_keys.h"

namespace horalux {
namespace {

constexpr const char* kHeader = "Header";

template <typename Hook, typename... Args>
void Run(const Hook& hook, Args... args) {
  if (hook) hook(args...);
}

bool IsTabControl(const SettingsKey& row) {
  return std::holds_alternative<TPageControl JikokuScreen::*>(row.control);
}

}  // namespace

void LoadSettings(JikokuScreen& screen, const IniFile& ini, const LoadedSettingsHooks& hooks) {
  // Every value is read before any reaches the screen, so that a default
  // taken from the screen is the one it showed before loading.
  std::vector<SettingValue> values;
  for (const SettingsKey& row : SettingsKeys()) values.push_back(ReadKey(row, ini, screen));

  // Onto the screen in key order; each control's handler runs when its value
  // changes. The three HTTP sources are radio buttons of one group: a true
  // one selects itself and clears the others, a false one only clears
  // itself, so the last true one wins. The tab waits for its hook.
  int activePage = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const SettingsKey& row = SettingsKeys()[i];
    if (IsTabControl(row))
      activePage = std::get<int>(values[i]);
    else
      ShowValue(row, screen, values[i]);
  }

  ShowDerivedValues(screen);

  Run(hooks.SelectPage, activePage);
  Run(hooks.ApplyProxy);
  Run(hooks.EnableSNTPServerField);
  Run(hooks.ApplySNTPServer);
  Run(hooks.ShowStartupRegistration);
}

void SelectLoadedPage(JikokuScreen& screen, int activePage) {
  screen.PageControl1.SetActivePage(screen.PageByIndex(activePage));
}

bool WriteSettings(const JikokuScreen& screen, IniFile& ini, const SettingsHeader& header) {
  if (!ini.WriteString(kHeader, "Version", header.version) ||
      !ini.WriteString(kHeader, "Folder", header.folder))
    return false;
  for (const SettingsKey& row : SettingsKeys())
    if (!WriteKey(row, ini, screen)) return false;
  return true;
}

SettingsFile::SettingsFile(Files& files, TextCodec& codec) : files_(files), codec_(codec) {}

void SettingsFile::Load(const std::string& path, JikokuScreen& screen,
                        const LoadedSettingsHooks& hooks) {
  path_ = path;
  std::optional<std::string> bytes;
  if (files_.exists(path_))
    bytes = files_.read(path_);
  else
    bytes.emplace();
  state_ = bytes ? State::kLoaded : State::kUnreadable;
  LoadSettings(screen, IniFile(codec_, bytes.value_or("")), hooks);
}

bool SettingsFile::Save(const JikokuScreen& screen, const SettingsHeader& header,
                        bool readOnlyMedium, Boxes& boxes) {
  if (readOnlyMedium || state_ == State::kNotLoaded) return false;
  // Read again, so that what others changed in the file meanwhile stays.
  std::optional<std::string> bytes;
  if (state_ == State::kLoaded) bytes = files_.exists(path_) ? files_.read(path_) : std::string();
  bool saved = false;
  if (bytes) {
    IniFile ini(codec_, *bytes);
    saved = WriteSettings(screen, ini, header) && ReplaceFileContent(files_, path_, ini.Bytes());
  }
  if (!saved) boxes.message(kSettingsWriteError);
  return saved;
}

}  // namespace horalux
