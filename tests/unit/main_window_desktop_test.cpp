#include <gtest/gtest.h>

#include "tests/fakes/form_rig.h"

namespace horalux {
namespace {

using fakes::FormRig;

constexpr const char* kStartupLink = "C:\\Users\\u\\Start Menu\\Programs\\Startup\\Horalux.lnk";

TEST(MainWindowDesktop, StartupBoxAndActionMenuShowWhetherTheLinkExists) {
  for (bool registered : {false, true}) {
    SCOPED_TRACE(registered ? "registered" : "not registered");
    FormRig rig;
    if (registered)
      rig.desktop.write_link(kStartupLink, {"C:\\Apps\\Horalux\\Horalux.exe", "-R", ""});
    TfmJikoku& f = rig.Make({});
    f.FormCreate();
    EXPECT_EQ(f.Screen().cbStartup.Checked(), registered);
    f.mnActionClick();
    EXPECT_EQ(f.mnStartUpOn.Enabled, !registered);
    EXPECT_EQ(f.mnStartupOff.Enabled, registered);
  }
}

TEST(MainWindowDesktop, ClosingARunStartedWithAOffersTheRegistration) {
  for (bool yes : {false, true}) {
    FormRig rig;
    TfmJikoku& f = rig.Make({"-A"});
    f.FormCreate();
    rig.boxes.answers = {yes};
    f.FormCloseQuery();
    ASSERT_FALSE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.boxes.shown[0].text, "起動時に、時刻を取得しますか？");
    EXPECT_EQ(rig.files.exists(kStartupLink), yes);
    EXPECT_EQ(f.Screen().cbStartup.Checked(), yes);
  }
}

TEST(MainWindowDesktop, SetupIsOfferedAtTheFirstShowingAndItsItemHiddenBesideTheHelper) {
  struct Row {
    const char* marker;
    bool helper;
    bool offered;
  } rows[] = {{"[Set]\r\nFirst=1\r\n", false, true}, {"", true, false}};
  for (const Row& row : rows) {
    FormRig rig;
    rig.files.put(std::string(FormRig::kFolder) + "localfol.hlx", row.marker);
    if (row.helper) rig.files.put(std::string(FormRig::kFolder) + "horka.exe", "");
    TfmJikoku& f = rig.Make({});
    int setups = 0;
    f.ShowSetupWindow = [&](TfmSetup& setup) {
      EXPECT_EQ(setup.SourceFolder(), FormRig::kFolder);
      ++setups;
    };
    f.FormCreate();
    EXPECT_EQ(f.mnSetup.Visible, !row.helper);
    f.FormShow();
    f.FormShow();
    EXPECT_EQ(setups, row.offered ? 1 : 0) << row.marker;
  }
}

}  // namespace
}  // namespace horalux
