#include "core/install/startup_link.h"

#include <gtest/gtest.h>

#include "tests/fakes/startup_rig.h"

namespace horalux {
namespace {

const std::string kStartupLink = "C:\\Users\\u\\Start Menu\\Programs\\Startup\\Horalux.lnk";
const std::string kDesktopLink = "C:\\Users\\u\\Desktop\\Horalux.lnk";
const std::string kRegistered = "Horaluxをコンピュータ起動時に動作させます。";
const std::string kOverwrite = "既にHoralux.lnk が存在します。\r\n上書きしますか？";

struct Rig : fakes::StartupRig {
  std::vector<std::string> shown() {
    std::vector<std::string> out;
    for (const auto& b : boxes.shown) out.push_back(b.kind + ":" + b.text);
    return out;
  }
};

using Shown = std::vector<std::string>;

TEST(StartupLink, RegisterWritesTheLinkOrReportsTheFailureAndShowsWhatIsOnDisk) {
  struct Row {
    const char* why;
    bool existing, answer, link_object, read_only, no_folder;
    Shown shown;
    bool linked, ticked;
  } rows[] = {
      {"fresh", false, true, true, false, false, {"message:" + kRegistered}, true, true},
      {"overwrite yes",
       true,
       true,
       true,
       false,
       false,
       {"question:" + kOverwrite, "message:" + kRegistered},
       true,
       true},
      {"overwrite no keeps the old link",
       true,
       false,
       true,
       false,
       false,
       {"question:" + kOverwrite},
       true,
       true},
      {"no link object",
       false,
       true,
       false,
       false,
       false,
       {"error:ショートカットの作成に失敗しました。"},
       false,
       false},
      {"save fails",
       false,
       true,
       true,
       true,
       false,
       {"error:ショートカットの作成に失敗しました。"},
       false,
       false},
      {"no Startup folder",
       false,
       true,
       true,
       false,
       true,
       {"error:ショートカットの作成に失敗しました。"},
       false,
       false},
  };
  for (const Row& row : rows) {
    Rig rig;
    if (row.existing) rig.files.put(kStartupLink, "old");
    rig.shell.link_object = row.link_object;
    if (row.read_only)
      rig.files.read_only_paths.insert("C:\\USERS\\U\\START MENU\\PROGRAMS\\STARTUP\\HORALUX.LNK");
    if (row.no_folder) rig.shell.folders[SpecialFolderId::Startup] = "";
    rig.boxes.answers.push_back(row.answer);
    rig.link.LookUpStartupFolder();
    rig.link.RegisterStartup();
    EXPECT_EQ(rig.shown(), row.shown) << row.why;
    EXPECT_EQ(rig.files.has_file(kStartupLink), row.linked) << row.why;
    EXPECT_EQ(rig.cbStartup.Checked(), row.ticked) << row.why;
    EXPECT_FALSE(rig.files.exists("Horalux.lnk")) << row.why;
  }
}

TEST(StartupLink, StartupLinkStartsThisExecutableWithRInItsFolderAndDesktopLinkHasNoArguments) {
  Rig rig;
  rig.files.exe = "D:\\Tools\\Horalux.exe";
  rig.link.LookUpStartupFolder();
  rig.link.RegisterStartup();
  rig.link.CreateDesktopShortcut();
  auto startup = rig.shell.read_link(kStartupLink);
  auto desktop = rig.shell.read_link(kDesktopLink);
  ASSERT_TRUE(startup && desktop);
  EXPECT_EQ(startup->target, "D:\\Tools\\Horalux.exe");
  EXPECT_EQ(startup->arguments, "-R");
  EXPECT_EQ(startup->working_folder, "D:\\Tools");
  EXPECT_EQ(desktop->arguments, "");
  EXPECT_EQ(rig.shown().back(), "message:デスクトップにショートカットを作成しました。");
}

TEST(StartupLink, UnregisterDeletesTheLinkOrReportsTheFailure) {
  struct Row {
    const char* why;
    bool existing, read_only;
    Shown shown;
    bool linked, ticked;
  } rows[] = {
      {"registered",
       true,
       false,
       {"message:コンピュータ起動時の動作を解除しました。"},
       false,
       false},
      {"nothing to delete",
       false,
       false,
       {"message:コンピュータ起動時の動作を解除しました。"},
       false,
       false},
      {"delete fails", true, true, {"error:ファイルの削除に失敗しました。"}, true, true},
  };
  for (const Row& row : rows) {
    Rig rig;
    if (row.existing) rig.files.put(kStartupLink, "old");
    if (row.read_only)
      rig.files.read_only_paths.insert("C:\\USERS\\U\\START MENU\\PROGRAMS\\STARTUP\\HORALUX.LNK");
    rig.link.LookUpStartupFolder();
    rig.link.UnregisterStartup();
    EXPECT_EQ(rig.shown(), row.shown) << row.why;
    EXPECT_EQ(rig.files.has_file(kStartupLink), row.linked) << row.why;
    EXPECT_EQ(rig.cbStartup.Checked(), row.ticked) << row.why;
  }
}

TEST(StartupLink, DesktopShortcutFailureShowsNoSuccess) {
  Rig rig;
  rig.shell.folders[SpecialFolderId::Desktop] = "";
  rig.link.CreateDesktopShortcut();
  EXPECT_EQ(rig.shown(), Shown{"error:ショートカットの作成に失敗しました。"});
}

TEST(StartupLink, MouseReleaseAndSpaceBothRegisterAndUnregister) {
  Rig rig;
  rig.link.LookUpStartupFolder();
  for (bool by_key : {false, true}) {
    auto toggled = [&](bool ticked) {
      rig.cbStartup.SetChecked(ticked);
      if (by_key)
        rig.link.cbStartupKeyToggle();
      else
        rig.link.cbStartupMouseUp();
    };
    toggled(true);
    EXPECT_TRUE(rig.files.has_file(kStartupLink)) << by_key;
    toggled(false);
    EXPECT_FALSE(rig.files.has_file(kStartupLink)) << by_key;
    EXPECT_FALSE(rig.cbStartup.Checked()) << by_key;
  }
}

TEST(StartupLink, ClosingARunStartedWithAOffersRegistrationOnlyWhenUnticked) {
  Rig rig;
  rig.link.LookUpStartupFolder();
  rig.link.AskStartupAtClose();
  EXPECT_EQ(rig.shown(),
            (Shown{"question:起動時に、時刻を取得しますか？", "message:" + kRegistered}));
  rig.boxes.shown.clear();
  rig.link.AskStartupAtClose();
  EXPECT_TRUE(rig.boxes.shown.empty());
}

}  // namespace
}  // namespace horalux
