#include <gtest/gtest.h>

#include "tests/fakes/form_rig.h"

namespace horalux {
namespace {

using fakes::FormRig;

TEST(MainWindowDesktop, ClosingARunStartedWithAOffersTheRegistration) {
  for (bool yes : {false, true}) {
    FormRig rig;
    TfmJikoku& f = rig.Make({"-A"});
    f.FormCreate();
    rig.boxes.answers = {yes};
    f.FormCloseQuery();
    ASSERT_FALSE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.boxes.shown[0].text, "起動時に、時刻を取得しますか？");
    EXPECT_EQ(rig.files.exists("C:\\Users\\u\\Start Menu\\Programs\\Startup\\Horalux.lnk"), yes);
    EXPECT_EQ(f.Screen().cbStartup.Checked(), yes);
  }
}

TEST(MainWindowDesktop, SetupItemIsHiddenBesideTheSetupHelper) {
  for (bool helper : {false, true}) {
    FormRig rig;
    if (helper) rig.files.put(std::string(FormRig::kFolder) + "horka.exe", "");
    TfmJikoku& f = rig.Make({});
    f.FormCreate();
    EXPECT_EQ(f.mnSetup.Visible, !helper);
  }
}

}  // namespace
}  // namespace horalux
