#include <gtest/gtest.h>

#include <optional>

#include "core/base/version.h"
#include "core/desktop/file_properties.h"
#include "core/net/proxy.h"
#include "tests/fakes/form_rig.h"

namespace horalux {
namespace {

using fakes::FormRig;

TEST(MainWindowSettings, LoadedServerChoiceReachesTheTimeSource) {
  struct Row {
    const char* ini;
    bool hand_given;
    const char* host;
  } rows[] = {
      {"[Jikoku]\r\ncbSNTPAuto=1\r\ncbSNTP=1\r\nedtSNTP=ntp.example.invalid\r\n", true,
       "ntp.example.invalid"},
      {"[Jikoku]\r\ncbSNTPAuto=0\r\ncbSNTP=0\r\nedtSNTP=ntp.example.invalid\r\n", false,
       "0.jp.pool.ntp.org"},
      {"", false, "0.jp.pool.ntp.org"},
  };
  for (const Row& row : rows) {
    FormRig rig;
    if (*row.ini) rig.PutSettings(row.ini);
    TfmJikoku& f = rig.Make({});
    f.FormCreate();
    JikokuScreen& s = f.Screen();
    EXPECT_EQ(s.cbSNTP.Checked(), row.hand_given) << row.ini;
    EXPECT_EQ(s.cbSNTPAuto.Checked(), !row.hand_given) << row.ini;
    EXPECT_EQ(s.edtSNTP.Enabled(), row.hand_given) << row.ini;
    EXPECT_EQ(s.lblSNTP4.Enabled(), row.hand_given) << row.ini;
    EXPECT_EQ(f.IdSNTP1().Host(), row.host) << row.ini;
  }
}

TEST(MainWindowSettings, LoadedProxyAndPageReachTheHttpClient) {
  struct Row {
    const char* ini;
    const char* proxy;
    int port;
    const char* page;
  } rows[] = {
      {"cbProxy=1\r\nedtProxy=p.example\r\nedtPort=3128\r\nrbJapan=1\r\nrbFennick1=0\r\n",
       "p.example", 3128, "http://jjy.nict.go.jp/cgi-bin/JST.cgi"},
      {"cbProxy=1\r\nedtProxy=p.example\r\nedtPort=x\r\nrbFennick2=1\r\nrbFennick1=0\r\n"
       "edtFennick1=http://a.lan/\r\nedtFennick2=http://b.lan:81/t\r\n",
       "p.example", 0, "http://b.lan:81/t"},
      {"cbProxy=0\r\nedtProxy=p.example\r\nedtPort=3128\r\n", "", 0,
       "http://jjy.nict.go.jp/cgi-bin/JST.cgi"},
      {"rbFennick1=0\r\n", "", 0, ""},
  };
  for (const Row& row : rows) {
    FormRig rig;
    rig.PutSettings(std::string("[Jikoku]\r\n") + row.ini);
    TfmJikoku& f = rig.Make({});
    f.FormCreate();
    EXPECT_EQ(f.HttpClient1().Proxy, row.proxy) << row.ini;
    EXPECT_EQ(f.HttpClient1().ProxyPort, row.port) << row.ini;
    EXPECT_EQ(f.SelectedPageUrl(), row.page) << row.ini;
    EXPECT_EQ(f.Screen().edtProxy.Color(), *row.proxy ? clWindow : clSilver) << row.ini;
  }
}

// A page on the browser's bypass list is fetched direct: the check before
// the cycle takes the user's proxy off rather than keeping it.
TEST(MainWindowSettings, PageOnTheBypassListIsFetchedDirect) {
  for (const auto& [bypass, proxy] : {std::pair{"<local>;*.go.jp", ""}, {"<local>", "proxy.lan"}}) {
    FormRig rig;
    using T = RegistryValue::Type;
    rig.registry.Set(kInternetSettingsKey, "ProxyEnable", {T::Integer, {}, 1, ""});
    rig.registry.Set(kInternetSettingsKey, "ProxyServer", {T::String, {}, 0, "p.lan:8080"});
    rig.registry.Set(kInternetSettingsKey, "ProxyOverride", {T::String, {}, 0, bypass});
    rig.PutSettings("[Jikoku]\r\nrbHTTP=1\r\nrbJapan=1\r\ncbProxy=1\r\nedtProxy=proxy.lan\r\n");
    TfmJikoku& f = rig.Make({});
    f.FormCreate();
    rig.host.show_window();
    f.Screen().btnJikkou.Click();
    EXPECT_EQ(f.HttpClient1().Proxy, proxy) << bypass;
  }
}

TEST(MainWindowSettings, ServerChoiceOnScreenFollowsTheTickedBox) {
  FormRig rig;
  TfmJikoku& f = rig.Make({});
  f.FormCreate();
  JikokuScreen& s = f.Screen();
  s.edtSNTP.SetText("");
  s.cbSNTP.SetChecked(true);
  EXPECT_FALSE(s.cbSNTPAuto.Checked());
  EXPECT_EQ(f.IdSNTP1().Host(), "");
  s.edtSNTP.SetText("127.0.0.9");
  EXPECT_EQ(f.IdSNTP1().Host(), "");  // taken only when the field is left
  s.edtSNTP.Exit();
  EXPECT_EQ(f.IdSNTP1().Host(), "127.0.0.9");
  s.cbSNTPAuto.SetChecked(true);
  EXPECT_FALSE(s.cbSNTP.Checked());
  EXPECT_EQ(f.IdSNTP1().Host(), "0.jp.pool.ntp.org");
  s.edtSNTP.SetText("192.0.2.5");
  s.edtSNTP.Exit();
  EXPECT_EQ(f.IdSNTP1().Host(), "0.jp.pool.ntp.org");
}

TEST(MainWindowSettings, SpinValuesComeIntoRangeAtTheFirstShowingAndAreSaved) {
  FormRig rig;
  rig.PutSettings("[Jikoku]\r\nudGosa=900\r\nudChouseiHTTP=-9999\r\nudGyou=0\r\n");
  TfmJikoku& f = rig.Make({});
  f.FormCreate();
  EXPECT_EQ(f.Screen().edtGosa.Text(), "900");
  rig.host.show_window();
  EXPECT_EQ(f.Screen().edtGosa.Text(), "600");
  rig.host.close_window();
  const std::string saved = rig.SettingsText();
  EXPECT_NE(saved.find("udGosa=600\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("udChouseiHTTP=-5000\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find(std::string("[Header]\r\nVersion=") + kProgramVersion +
                       "\r\nFolder=C:\\Apps\\Horalux\\\r\n"),
            std::string::npos)
      << saved;
  EXPECT_TRUE(f.Controller().Closing());
}

TEST(MainWindowSettings, ClosingWhileAnHttpFetchWaitsSavesOnceAndShowsNothing) {
  FormRig rig;
  rig.PutSettings("[Jikoku]\r\nrbHTTP=1\r\ncbNoCkProxy=1\r\n");
  TfmJikoku& f = rig.Make({});
  f.FormCreate();
  rig.host.show_window();
  ASSERT_TRUE(rig.boxes.shown.empty());
  rig.tcp.silent_lookups = true;
  rig.pump.on_process = [&](int pass) {
    if (pass == 3) rig.host.close_window();
  };
  f.Screen().btnJikkou.Click();
  EXPECT_EQ(rig.pump.passes, 3);  // the fetch ended at the close, not at its time-out
  EXPECT_EQ(rig.files.writes, 1);
  EXPECT_NE(rig.SettingsText().find("rbHTTP=1"), std::string::npos);
  EXPECT_EQ(rig.LogText(), "<missing>");
  EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST(MainWindowSettings, DetailButtonsRevealTheirTabsForGood) {
  FormRig rig;
  TfmJikoku& f = rig.Make({});
  f.FormCreate();
  JikokuScreen& s = f.Screen();
  EXPECT_FALSE(s.tsAddress.TabVisible());
  s.btnHTTP.Click();
  EXPECT_TRUE(s.tsAddress.TabVisible());
  EXPECT_EQ(s.PageControl1.ActivePage(), &s.tsAddress);
  s.btnSNTP.Click();
  EXPECT_EQ(s.PageControl1.ActivePage(), &s.tsSNTP);
  EXPECT_TRUE(s.tsAddress.TabVisible());
  rig.host.close_window();
  EXPECT_NE(rig.SettingsText().find("ActivePage=3\r\n"), std::string::npos);
}

TEST(MainWindowSettings, LogTabTakesTheFocusWhenTheUserPicksIt) {
  FormRig rig;
  TfmJikoku& f = rig.Make({});
  f.FormCreate();
  JikokuScreen& s = f.Screen();
  s.PageControl1.UserSelect(&s.tsJMemo);
  EXPECT_EQ(rig.log_view.focused, 1);
  s.PageControl1.UserSelect(&s.tsJikoku);
  EXPECT_EQ(rig.log_view.focused, 1);
}

}  // namespace
}  // namespace horalux

namespace horalux {
namespace {

TEST(MainWindowSettings, PropertiesItemFollowsTheShellVersion) {
  struct Row {
    std::optional<ShellVersion> version;
    bool shown;
  } rows[] = {{ShellVersion{6, 0, 2900}, true},
              {ShellVersion{5, 0, 0}, true},
              {ShellVersion{4, 72, 0}, false},
              {std::nullopt, false}};
  for (const Row& row : rows) {
    fakes::FormRig rig;
    rig.desktop.version = row.version;
    rig.files.exe = "C:\\Apps\\Horalux\\Horalux.exe";
    TfmJikoku& f = rig.Make({});
    f.mnTaClick();
    EXPECT_EQ(f.mnProperty.Visible, row.shown);
    f.mnPropertyClick();
    EXPECT_EQ(rig.desktop.properties_shown,
              row.shown ? std::vector<std::string>{rig.files.exe} : std::vector<std::string>{});
    EXPECT_EQ(rig.boxes.shown.size(), row.shown ? 0u : 1u);
    if (!row.shown) {
      EXPECT_EQ(rig.boxes.shown[0].text, kPropertiesUnavailable);
    }
  }
}

// Typing refuses a sign in these fields; a stored one stays, so the engine
// still sees the negative tolerance.
TEST(MainWindowSettings, StoredNegativeValuesKeepTheirSign) {
  fakes::FormRig rig;
  rig.PutSettings("[Jikoku]\r\nudGosa=-5\r\nedtJisa=1.5\r\nedtPort=-80\r\n");
  TfmJikoku& f = rig.Make({});
  f.FormCreate();
  EXPECT_EQ(f.Screen().edtGosa.Text(), "-5");
  EXPECT_EQ(f.Screen().edtJisa.Text(), "1");
  EXPECT_EQ(f.Screen().edtPort.Text(), "-80");
  f.Screen().edtGosa.Char(U'-');
  EXPECT_EQ(f.Screen().edtGosa.Text(), "-5");
}

}  // namespace
}  // namespace horalux
