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
    // A copy outside Program Files: setup is offered first; declined, the
    // Startup shortcut is written as before.
    rig.boxes.answers = {yes, false};
    f.FormCloseQuery();
    ASSERT_FALSE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.boxes.shown[0].text, "起動時に、時刻を取得しますか？");
    if (yes) {
      EXPECT_EQ(rig.boxes.shown[1].text, kSetupFirstText);
    }
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

TEST(MainWindowDesktop, TheIconWaitsForTheTaskbarAndComesBackOnANewOne) {
  FormRig rig;
  rig.PutSettings("[Jikoku]\r\nudChien=3\r\n");
  rig.taskbar.absent_checks = 2;  // at the start and at the first second
  rig.Make({"-R"}).FormCreate();
  ASSERT_FALSE(rig.shell.records.empty());
  EXPECT_EQ(rig.shell.calls.front(), "add 1");
  EXPECT_EQ(rig.shell.records.front().tip, "Horalux_動作遅延待機中（実行まで 2 秒）");

  FormRig shown;
  TfmJikoku& f = shown.Make({});
  f.FormCreate();
  f.FormShow();
  shown.shell.icons.clear();  // Explorer restarted with an empty taskbar
  shown.shell.calls.clear();
  shown.taskbar.on_created();
  EXPECT_EQ(shown.shell.calls,
            (std::vector<std::string>{"add " + std::to_string(f.TrayIcon1().InstanceNumber())}));
}

TEST(MainWindowDesktop, ACopyThatEndsForAnotherTakesItsIconAway) {
  struct Row {
    const char* why;
    Elevation kind;
  } rows[] = {{"hand-over after setup", Elevation::Elevated},
              {"restart as administrator", Elevation::FilteredAdministrator}};
  for (const Row& row : rows) {
    FormRig rig;
    rig.token.kind = row.kind;
    TfmJikoku& f = rig.Make({});
    int ended = 0;
    f.EndProgram = [&] { ++ended; };
    f.ShowSetupWindow = [](TfmSetup& setup) { setup.EndProgram(); };
    // The elevated copy installed: this one hands over and ends.
    rig.launcher.copy = [&](const std::string&) {
      rig.files.add_folder("C:\\Program Files\\Horalux");
      rig.files.put(f.Location().folder + kSetupResultName, "C:\\Program Files\\Horalux\\");
      return 0;
    };
    f.FormCreate();
    f.FormShow();
    rig.boxes.answers = {true};
    f.mnSetupClick();
    EXPECT_EQ(rig.shell.calls.back(), "delete 1") << row.why;
    EXPECT_EQ(ended, 1) << row.why;
  }
}

}  // namespace
}  // namespace horalux
