#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/platform/boxes.h"
#include "core/settings/ini_file.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// One field per key of section [Jikoku], named by the key. Spin values are
// signed 16-bit, as their controls hold them.
struct Settings {
  bool cbEhyouji = false;
  int ActivePage = 0;
  std::int16_t udChouseiHTTP = 500;
  std::int16_t udChouseiSNTP = 200;
  std::int16_t udChien = 300;
  std::int16_t udGosa = 60;
  std::string edtJisa = "0";
  std::int16_t udGyou = 100;
  bool rbHTTP = false;
  bool rbJapan = false;
  bool rbFennick1 = true;
  bool rbFennick2 = false;
  bool cbSetuzokuT = true;
  bool cbProxy = false;
  std::string edtProxy;
  std::string edtPort;
  bool cbNoCkProxy = false;
  bool cbSNTPAuto = true;
  bool cbSNTP = false;
  std::string edtSNTP;
};

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

inline constexpr const char* kSettingsWriteError =
    "設定書込エラー\r\n設定項目が .iniファイルに書き込めませんでした。";

// Every [Jikoku] key with its default. The keys whose default is what the
// screen shows before loading take it from the screen.
Settings ReadSettings(IniFile& ini, const JikokuScreen& screen);

// Reads every key onto the screen, derives the dependent values and runs
// the hooks. Spin values are not brought into range here; the first
// showing does that.
Settings LoadSettings(JikokuScreen& screen, IniFile& ini, const LoadedSettingsHooks& hooks);

// Selects tab 0 to 3; any other number selects no tab.
void SelectLoadedPage(JikokuScreen& screen, int activePage);

// Writes [Header] and every [Jikoku] key from the live screen. Stops at the
// first failed write with the write-error message; keys written before it
// stay written. Nothing is written, and the result is false, on a
// read-only medium.
bool SaveSettings(const JikokuScreen& screen, IniFile& ini, Boxes& boxes,
                  const std::string& programFolder, bool readOnlyMedium);

}  // namespace horalux
