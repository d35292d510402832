#pragma once
#include <functional>
#include <string>

#include "core/platform/boxes.h"
#include "core/platform/files.h"
#include "core/platform/text_codec.h"
#include "core/settings/ini_file.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// What the rest of the program does with freshly loaded values, run in this
// order once every value is on the screen. An empty hook does nothing.
struct LoadedSettingsHooks {
  // The tab "ActivePage" names; SelectLoadedPage is the usual filling.
  std::function<void(int activePage)> SelectPage;
  // The proxy in effect for the HTTP exchange, with the proxy controls' enabling.
  std::function<void()> ApplyProxy;
  // Enabling of the hand-given SNTP server field and its labels.
  std::function<void()> EnableSNTPServerField;
  // The SNTP server of the SNTP time source.
  std::function<void()> ApplySNTPServer;
  // The start-up check box, which is not kept in the file.
  std::function<void()> ShowStartupRegistration;
};

// [Header] of the file: written at every save, never read.
struct SettingsHeader {
  std::string version;
  std::string folder;  // of the executable that wrote the file
};

inline constexpr const char* kSettingsWriteError =
    "設定書込エラー\r\n設定項目が .iniファイルに書き込めませんでした。";

// Puts every key on the screen (a missing one as its default), derives the
// dependent values and runs the hooks. Spin values are not brought into
// range here; the first showing does that.
void LoadSettings(JikokuScreen& screen, const IniFile& ini, const LoadedSettingsHooks& hooks);

// Selects tab 0 to 3; any other number selects no tab.
void SelectLoadedPage(JikokuScreen& screen, int activePage);

// Writes [Header] and every key from the live screen; false when a value
// cannot be spelled in the file's code page.
bool WriteSettings(const JikokuScreen& screen, IniFile& ini, const SettingsHeader& header);

// The settings file of this run: read once at start, written whole at each
// close.
class SettingsFile {
 public:
  SettingsFile(Files& files, TextCodec& codec);

  // Reads the file once and loads it onto the screen. A missing or
  // unreadable file loads every default.
  void Load(const std::string& path, JikokuScreen& screen, const LoadedSettingsHooks& hooks);

  // Writes every key as one new file that replaces the old one, keeping its
  // attributes and every line and byte the keys do not own. On failure the
  // write-error message is shown and the file stays as it was. The file is
  // never written unless this run loaded it (a start-up that stopped before
  // loading must not put defaults over the user's settings), nor on a
  // read-only medium; both silently give false. `boxes` shows the failure.
  bool Save(const JikokuScreen& screen, const SettingsHeader& header, bool readOnlyMedium,
            Boxes& boxes);

 private:
  enum class State { kNotLoaded, kLoaded, kUnreadable };

  Files& files_;
  TextCodec& codec_;
  std::string path_;
  State state_ = State::kNotLoaded;
};

}  // namespace horalux
