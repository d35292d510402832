#include "core/settings/settings_file.h"

#include <type_traits>

#include "core/base/version.h"

namespace horalux {
namespace {

constexpr const char* kHeader = "Header";
constexpr const char* kJikoku = "Jikoku";

// Every [Jikoku] key in the order the file has always been written in; `f`
// returns false to stop.
template <typename S, typename F>
bool ForEachKey(S& s, F&& f) {
  return f("cbEhyouji", s.cbEhyouji) && f("ActivePage", s.ActivePage) &&
         f("udChouseiHTTP", s.udChouseiHTTP) && f("udChouseiSNTP", s.udChouseiSNTP) &&
         f("udChien", s.udChien) && f("udGosa", s.udGosa) && f("edtJisa", s.edtJisa) &&
         f("udGyou", s.udGyou) && f("rbHTTP", s.rbHTTP) && f("rbJapan", s.rbJapan) &&
         f("rbFennick1", s.rbFennick1) && f("rbFennick2", s.rbFennick2) &&
         f("cbSetuzokuT", s.cbSetuzokuT) && f("cbProxy", s.cbProxy) && f("edtProxy", s.edtProxy) &&
         f("edtPort", s.edtPort) && f("cbNoCkProxy", s.cbNoCkProxy) &&
         f("cbSNTPAuto", s.cbSNTPAuto) && f("cbSNTP", s.cbSNTP) && f("edtSNTP", s.edtSNTP);
}

Settings FromScreen(const JikokuScreen& screen) {
  Settings s;
  s.cbEhyouji = screen.cbEhyouji.Checked();
  s.ActivePage = screen.PageControl1.ActivePageIndex();
  s.udChouseiHTTP = static_cast<std::int16_t>(screen.udChouseiHTTP.Position());
  s.udChouseiSNTP = static_cast<std::int16_t>(screen.udChouseiSNTP.Position());
  s.udChien = static_cast<std::int16_t>(screen.udChien.Position());
  s.udGosa = static_cast<std::int16_t>(screen.udGosa.Position());
  s.edtJisa = screen.edtJisa.Text();
  s.udGyou = static_cast<std::int16_t>(screen.udGyou.Position());
  s.rbHTTP = screen.rbHTTP.Checked();
  s.rbJapan = screen.rbJapan.Checked();
  s.rbFennick1 = screen.rbFennick1.Checked();
  s.rbFennick2 = screen.rbFennick2.Checked();
  s.cbSetuzokuT = screen.cbSetuzokuT.Checked();
  s.cbProxy = screen.cbProxy.Checked();
  s.edtProxy = screen.edtProxy.Text();
  s.edtPort = screen.edtPort.Text();
  s.cbNoCkProxy = screen.cbNoCkProxy.Checked();
  s.cbSNTPAuto = screen.cbSNTPAuto.Checked();
  s.cbSNTP = screen.cbSNTP.Checked();
  s.edtSNTP = screen.edtSNTP.Text();
  return s;
}

template <typename Hook, typename... Args>
void Run(const Hook& hook, Args... args) {
  if (hook) hook(args...);
}

}  // namespace

Settings ReadSettings(IniFile& ini, const JikokuScreen& screen) {
  Settings s;
  s.cbEhyouji = screen.cbEhyouji.Checked();
  s.edtJisa = screen.edtJisa.Text();
  s.cbSetuzokuT = screen.cbSetuzokuT.Checked();
  s.edtSNTP = screen.edtSNTP.Text();
  ForEachKey(s, [&ini](const char* key, auto& field) {
    using T = std::decay_t<decltype(field)>;
    if constexpr (std::is_same_v<T, bool>)
      field = ini.ReadBool(kJikoku, key, field);
    else if constexpr (std::is_same_v<T, std::string>)
      field = ini.ReadString(kJikoku, key, field);
    else
      field = static_cast<T>(ini.ReadInteger(kJikoku, key, field));
    return true;
  });
  return s;
}

Settings LoadSettings(JikokuScreen& screen, IniFile& ini, const LoadedSettingsHooks& hooks) {
  const Settings s = ReadSettings(ini, screen);

  // Onto the screen in key order; each box's handler runs when its value changes.
  screen.cbEhyouji.SetChecked(s.cbEhyouji);
  screen.udChouseiHTTP.SetPosition(s.udChouseiHTTP);
  screen.udChouseiSNTP.SetPosition(s.udChouseiSNTP);
  screen.udChien.SetPosition(s.udChien);
  screen.udGosa.SetPosition(s.udGosa);
  screen.edtJisa.SetText(s.edtJisa);
  screen.udGyou.SetPosition(s.udGyou);
  screen.rbHTTP.SetChecked(s.rbHTTP);
  screen.cbSetuzokuT.SetChecked(s.cbSetuzokuT);
  screen.cbProxy.SetChecked(s.cbProxy);
  screen.edtProxy.SetText(s.edtProxy);
  screen.edtPort.SetText(s.edtPort);
  screen.cbNoCkProxy.SetChecked(s.cbNoCkProxy);
  screen.cbSNTPAuto.SetChecked(s.cbSNTPAuto);
  screen.cbSNTP.SetChecked(s.cbSNTP);
  screen.edtSNTP.SetText(s.edtSNTP);

  // The values that follow from others.
  screen.edtGosa.SetText(std::to_string(s.udGosa));
  screen.rbSNTP.SetChecked(!s.rbHTTP);
  // A true source selects itself and clears the others; a false one only
  // clears itself, so the last true one in this order wins.
  screen.rbJapan.SetChecked(s.rbJapan);
  screen.rbFennick1.SetChecked(s.rbFennick1);
  screen.rbFennick2.SetChecked(s.rbFennick2);
  // The hand-given server box decides, whatever the file says for the other.
  screen.cbSNTPAuto.SetChecked(!screen.cbSNTP.Checked());

  Run(hooks.SelectPage, s.ActivePage);
  Run(hooks.ApplyProxy);
  Run(hooks.EnableSNTPServerField);
  Run(hooks.ApplySNTPServer);
  Run(hooks.ShowStartupRegistration);
  return s;
}

void SelectLoadedPage(JikokuScreen& screen, int activePage) {
  screen.PageControl1.SetActivePage(
      activePage >= 0 && activePage <= 3 ? screen.PageByIndex(activePage) : nullptr);
}

bool SaveSettings(const JikokuScreen& screen, IniFile& ini, Boxes& boxes,
                  const std::string& programFolder, bool readOnlyMedium) {
  if (readOnlyMedium) return false;
  Settings s = FromScreen(screen);
  bool written = ini.WriteString(kHeader, "Version", kProgramVersion) &&
                 ini.WriteString(kHeader, "Folder", programFolder) &&
                 ForEachKey(s, [&ini](const char* key, auto& field) {
                   using T = std::decay_t<decltype(field)>;
                   if constexpr (std::is_same_v<T, bool>)
                     return ini.WriteBool(kJikoku, key, field);
                   else if constexpr (std::is_same_v<T, std::string>)
                     return ini.WriteString(kJikoku, key, field);
                   else
                     return ini.WriteInteger(kJikoku, key, field);
                 });
  if (!written) boxes.message(kSettingsWriteError);
  return written;
}

}  // namespace horalux
