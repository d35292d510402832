#include "core/settings/settings_file.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/settings/field_captions.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/memory_files.h"

namespace horalux {
namespace {

const char* const kPath = "C:\\Apps\\Horalux\\Horalux.ini";
const char* const kProgram = "C:\\Apps\\Horalux\\";

struct Rig {
  fakes::MemoryFiles files;
  fakes::IconvCodec codec;
  fakes::FakeBoxes boxes;
  JikokuScreen screen;
  SettingsFile file{files, codec};
  void put(const std::string& jikoku_lines) {
    files.put(kPath, codec.to_ansi("[Jikoku]\r\n" + jikoku_lines));
  }
  void Load(const LoadedSettingsHooks& hooks = {}) { file.Load(kPath, screen, hooks); }
  bool Save(bool read_only = false) {
    return file.Save(screen, {"Ver0.9.9", kProgram}, read_only, boxes);
  }
  int Read(const char* key) {
    return IniFile(codec, files.content(kPath)).ReadInteger("Jikoku", key, 0);
  }
};

std::string Selected(JikokuScreen& s) {
  std::string out;
  for (TRadioButton* rb : {&s.rbJapan, &s.rbFennick1, &s.rbFennick2})
    out += rb->Checked() ? "1" : "0";
  return out;
}

TEST(LoadSettings, AMissingFileGivesTheFirstStartScreen) {
  Rig rig;
  rig.Load();
  JikokuScreen& s = rig.screen;
  EXPECT_TRUE(s.rbSNTP.Checked());
  EXPECT_FALSE(s.rbHTTP.Checked());
  EXPECT_EQ(Selected(s), "010");
  EXPECT_EQ(s.udGosa.Position(), 60);
  EXPECT_EQ(s.edtGosa.Text(), "60");
  EXPECT_EQ(s.udChien.Position(), 300);
  EXPECT_EQ(s.udGyou.Position(), 100);
  EXPECT_EQ(s.udChouseiHTTP.Position(), 500);
  EXPECT_EQ(s.udChouseiSNTP.Position(), 200);
  EXPECT_TRUE(s.cbSNTPAuto.Checked());
  EXPECT_FALSE(s.cbSNTP.Checked());
  EXPECT_TRUE(s.cbSetuzokuT.Checked());
  EXPECT_EQ(s.edtJisa.Text(), "0");
  EXPECT_FALSE(rig.files.exists(kPath));
}

TEST(LoadSettings, MissingKeysKeepTheScreenDefaultsOnlyWhereTheScreenGivesThem) {
  Rig rig;
  rig.put("udGyou=7\r\n");
  JikokuScreen& s = rig.screen;
  s.cbEhyouji.SetChecked(true);
  s.cbSetuzokuT.SetChecked(false);
  s.edtJisa.SetText("-3600");
  s.edtSNTP.SetText("ntp.example");
  s.udChien.SetPosition(12);
  s.cbProxy.SetChecked(true);
  rig.Load();
  EXPECT_TRUE(s.cbEhyouji.Checked());
  EXPECT_FALSE(s.cbSetuzokuT.Checked());
  EXPECT_EQ(s.edtJisa.Text(), "-3600");
  EXPECT_EQ(s.edtSNTP.Text(), "ntp.example");
  EXPECT_EQ(s.udChien.Position(), 300);
  EXPECT_FALSE(s.cbProxy.Checked());
  EXPECT_EQ(s.udGyou.Position(), 7);
}

TEST(LoadSettings, TheHandGivenServerBoxDecides) {
  struct Row {
    const char* lines;
    bool sntp, automatic;
  } rows[] = {{"cbSNTPAuto=1\r\ncbSNTP=1\r\n", true, false},
              {"cbSNTPAuto=0\r\ncbSNTP=0\r\n", false, true},
              {"cbSNTPAuto=1\r\ncbSNTP=0\r\n", false, true},
              {"cbSNTPAuto=0\r\ncbSNTP=1\r\n", true, false},
              {"cbSNTPAuto=0\r\n", false, true}};
  for (const Row& row : rows) {
    Rig rig;
    rig.put(row.lines);
    rig.Load();
    EXPECT_EQ(rig.screen.cbSNTP.Checked(), row.sntp) << row.lines;
    EXPECT_EQ(rig.screen.cbSNTPAuto.Checked(), row.automatic) << row.lines;
  }
}

TEST(LoadSettings, TheHttpSourcesApplyInOrderAndTheProtocolIsOneChoice) {
  struct Row {
    const char* lines;
    const char* selected;
    bool http;
  } rows[] = {
      {"rbJapan=1\r\nrbFennick1=0\r\nrbFennick2=0\r\n", "100", false},
      {"rbJapan=1\r\nrbFennick1=1\r\nrbFennick2=0\r\n", "010", false},
      {"rbJapan=1\r\nrbFennick1=0\r\nrbFennick2=1\r\n", "001", false},
      {"rbJapan=0\r\nrbFennick1=0\r\nrbFennick2=0\r\n", "000", false},
      {"rbJapan=0\r\nrbFennick2=1\r\n", "001", false},
      {"rbHTTP=1\r\n", "010", true},
      {"rbHTTP=0x0\r\n", "010", false},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.put(row.lines);
    rig.Load();
    EXPECT_EQ(Selected(rig.screen), row.selected) << row.lines;
    EXPECT_EQ(rig.screen.rbHTTP.Checked(), row.http) << row.lines;
    EXPECT_EQ(rig.screen.rbSNTP.Checked(), !row.http) << row.lines;
  }
}

TEST(LoadSettings, SpinValuesLoadUnclampedAsSigned16Bit) {
  struct Row {
    const char* lines;
    TUpDown JikokuScreen::*spin;
    int loaded;
    int shown;
  } rows[] = {
      {"udGosa=900\r\n", &JikokuScreen::udGosa, 900, 600},
      {"udChouseiHTTP=-9999\r\n", &JikokuScreen::udChouseiHTTP, -9999, -5000},
      {"udChien=0\r\n", &JikokuScreen::udChien, 0, 1},
      {"udGyou=70000\r\n", &JikokuScreen::udGyou, 4464, 500},
      {"udChouseiSNTP=0x10\r\n", &JikokuScreen::udChouseiSNTP, 16, 16},
      {"udChien=abc\r\n", &JikokuScreen::udChien, 300, 300},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.put(row.lines);
    rig.Load();
    TUpDown& spin = rig.screen.*row.spin;
    EXPECT_EQ(spin.Position(), row.loaded) << row.lines;
    EXPECT_EQ(spin.Associate()->Text(), std::to_string(row.loaded)) << row.lines;
    rig.screen.ClampSpinFields();
    EXPECT_EQ(spin.Position(), row.shown) << row.lines;
  }
}

TEST(LoadSettings, AnOutOfRangeToleranceIsWrittenClamped) {
  Rig rig;
  rig.put("udGosa=900\r\n");
  rig.Load();
  EXPECT_EQ(rig.screen.edtGosa.Text(), "900");
  rig.screen.ClampSpinFields();
  ASSERT_TRUE(rig.Save());
  EXPECT_EQ(rig.Read("udGosa"), 600);
}

TEST(LoadSettings, RunsTheHooksInOrderAfterEveryValueIsOnScreen) {
  Rig rig;
  rig.put(
      "ActivePage=2\r\ncbProxy=1\r\ncbNoCkProxy=1\r\nedtProxy=proxy.test\r\nedtPort=8080\r\n"
      "cbSNTP=1\r\nedtSNTP=ntp.test\r\n");
  std::vector<std::string> calls;
  LoadedSettingsHooks hooks;
  hooks.SelectPage = [&](int page) { calls.push_back("page " + std::to_string(page)); };
  hooks.ApplyProxy = [&] {
    calls.push_back("proxy " + rig.screen.edtProxy.Text() + ":" + rig.screen.edtPort.Text());
  };
  hooks.EnableSNTPServerField = [&] {
    calls.push_back(std::string("field ") + (rig.screen.cbSNTP.Checked() ? "on" : "off"));
  };
  hooks.ApplySNTPServer = [&] { calls.push_back("server " + rig.screen.edtSNTP.Text()); };
  hooks.ShowStartupRegistration = [&] { calls.push_back("startup"); };
  rig.Load(hooks);
  EXPECT_EQ(calls, (std::vector<std::string>{"page 2", "proxy proxy.test:8080", "field on",
                                             "server ntp.test", "startup"}));
  EXPECT_TRUE(rig.screen.cbNoCkProxy.Checked());
}

TEST(SettingsRows, TheTextsAfterTheFieldsSpellTheirRowsRanges) {
  using S = JikokuScreen;
  EXPECT_EQ(UnitText(NumberOf<&S::edtChien>()),
            "秒後にインターネットより時刻を取得[1 ～ 600秒(10分) ]");
  EXPECT_EQ(UnitText(NumberOf<&S::edtGosa>()),
            "秒以上の時刻の誤差は、時刻を修正しない[ 1 ～ 600秒(10分) ]");
  EXPECT_EQ(UnitText(NumberOf<&S::edtGyou>()), "行まで記録[ 0 ～ 500行 ]");
}

TEST(SelectLoadedPage, OutsideZeroToThreeSelectsNoTab) {
  struct Row {
    int page;
    int selected;
  } rows[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, -1}, {-1, -1}};
  for (const Row& row : rows) {
    JikokuScreen screen;
    SelectLoadedPage(screen, row.page);
    EXPECT_EQ(screen.PageControl1.ActivePageIndex(), row.selected) << row.page;
  }
}

TEST(SaveSettings, WritesTheHeaderAndEveryKeyInOrder) {
  Rig rig;
  rig.Load();
  JikokuScreen& s = rig.screen;
  s.PageControl1.SetActivePage(&s.tsSNTP);
  s.rbHTTP.SetChecked(true);
  s.rbFennick2.SetChecked(true);
  s.edtGosa.SetText("45");  // typed by the user
  s.udChouseiSNTP.SetPosition(-120);
  s.edtProxy.SetText("プロキシ");
  s.edtPort.SetText("8080");
  s.cbSNTP.SetChecked(true);
  s.cbSNTPAuto.SetChecked(false);
  EXPECT_TRUE(rig.Save());
  EXPECT_EQ(rig.codec.from_ansi(rig.files.content(kPath)),
            "[Header]\r\nVersion=Ver0.9.9\r\nFolder=C:\\Apps\\Horalux\\\r\n"
            "[Jikoku]\r\ncbEhyouji=0\r\nActivePage=3\r\nudChouseiHTTP=500\r\n"
            "udChouseiSNTP=-120\r\nudChien=300\r\nudGosa=45\r\nedtJisa=0\r\nudGyou=100\r\n"
            "rbHTTP=1\r\nrbJapan=0\r\nrbFennick1=0\r\nrbFennick2=1\r\nedtFennick1=\r\n"
            "edtFennick2=\r\ncbSetuzokuT=1\r\n"
            "cbProxy=0\r\nedtProxy=プロキシ\r\nedtPort=8080\r\ncbNoCkProxy=0\r\n"
            "cbSeimitsu=1\r\ncbSNTPAuto=0\r\ncbSNTP=1\r\nedtSNTP=20.101.57.9\r\n");
  EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST(SaveSettings, WhatIsWrittenAtCloseIsReadAtTheNextStart) {
  Rig rig;
  rig.Load();
  rig.screen.udChouseiHTTP.SetPosition(-4321);
  rig.screen.udChouseiSNTP.SetPosition(4321);
  rig.screen.edtJisa.SetText("-32400");
  rig.screen.rbJapan.SetChecked(true);
  ASSERT_TRUE(rig.Save());
  JikokuScreen next;
  SettingsFile(rig.files, rig.codec).Load(kPath, next, {});
  EXPECT_EQ(next.udChouseiHTTP.Position(), -4321);
  EXPECT_EQ(next.udChouseiSNTP.Position(), 4321);
  EXPECT_EQ(next.edtJisa.Text(), "-32400");
  EXPECT_EQ(Selected(next), "100");
}

TEST(SaveSettings, WritesOnlyALoadedFileAndOnlyWhole) {
  const std::string old = "[Jikoku]\r\nudChien=3\r\nudGosa=4\r\n";
  const std::string ini = "C:\\APPS\\HORALUX\\HORALUX.INI";
  struct Row {
    const char* why;
    std::function<void(Rig&)> arrange;  // before loading
    bool load;
    bool saved;
    bool error_shown;
  } rows[] = {
      {"start-up stopped before loading", [](Rig&) {}, false, false, false},
      {"disk full", [](Rig& r) { r.files.fail_writes_after = 0; }, true, false, true},
      {"read-only attribute",
       [](Rig& r) { r.files.set_attributes(kPath, file_attribute::kReadOnly); }, true, false, true},
      {"held open by another program", [&](Rig& r) { r.files.read_only_paths.insert(ini); }, true,
       false, true},
      {"unreadable when loaded", [&](Rig& r) { r.files.unreadable_paths.insert(ini); }, true, false,
       true},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.put("udChien=3\r\nudGosa=4\r\n");
    row.arrange(rig);
    if (row.load) rig.Load();
    rig.screen.udChien.SetPosition(77);
    rig.files.unreadable_paths.clear();
    EXPECT_EQ(rig.Save(), row.saved) << row.why;
    EXPECT_EQ(rig.files.content(kPath), old) << row.why;
    EXPECT_FALSE(rig.files.has_file(std::string(kPath) + ".new")) << row.why;
    std::vector<std::string> shown;
    for (const auto& box : rig.boxes.shown) shown.push_back(box.text);
    EXPECT_EQ(shown, row.error_shown ? std::vector<std::string>{kSettingsWriteError}
                                     : std::vector<std::string>{})
        << row.why;
  }
}

// A run ended between writing the new file and putting it in place leaves
// it behind, with the hidden attribute when the settings file has it.
TEST(SaveSettings, ANewFileLeftByAnEndedRunDoesNotBlockTheNextSave) {
  Rig rig;
  rig.put("udChien=3\r\n");
  rig.files.set_attributes(kPath, file_attribute::kHidden);
  rig.files.put(std::string(kPath) + ".new", "[Jikoku]\r\nudCh");
  rig.files.set_attributes(std::string(kPath) + ".new", file_attribute::kHidden);
  rig.Load();
  rig.screen.udChien.SetPosition(77);
  EXPECT_TRUE(rig.Save());
  EXPECT_EQ(rig.Read("udChien"), 77);
  EXPECT_EQ(rig.files.attributes(kPath), file_attribute::kHidden);
  EXPECT_FALSE(rig.files.has_file(std::string(kPath) + ".new"));
}

TEST(SaveSettings, AReadOnlyMediumWritesNothingSilently) {
  Rig rig;
  EXPECT_FALSE(rig.Save(true));
  EXPECT_FALSE(rig.files.exists(kPath));
  EXPECT_TRUE(rig.boxes.shown.empty());
}

}  // namespace
}  // namespace horalux
