#include "core/install/setup.h"

#include "core/install/startup_link.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/base/path_text.h"
#include "core/install/install_acl.h"
#include "core/install/logged_on_user.h"
#include "core/install/logon_task.h"
#include "core/linkcheck/checked_files.h"

#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_elevation.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/memory_file_handles.h"

namespace horalux {
namespace {

const std::string kSource = "C:\\Apps\\Horalux\\";
const std::string kTarget = "C:\\Program Files\\Orvane\\Horalux\\";
const std::string kStartupLink = "C:\\Users\\u\\Start Menu\\Programs\\Startup\\Horalux.lnk";
const std::string kProgramsLink = "C:\\Users\\u\\Start Menu\\Programs\\Horalux.lnk";
const std::string kDesktopLink = "C:\\Users\\u\\Desktop\\Horalux.lnk";
const std::string kMarker = kTarget + "Clock2Ju.$$$";
const std::string kDone = "information:Horalux Ver0.9.9 のセットアップが終了しました。";
const std::string kHandOver =
    "message:現在起動中のHoraluxを終了させ、\r\nセットアップしたHoraluxを起動させます。\r\n"
    "一時的に、Horaluxが２つ立ち上がります。\r\n確認（ＯＫ）後、10秒程度、そのままでお待ちください"
    "。";

struct Rig {
  fakes::MemoryFiles files;
  fakes::FakeShell shell{files};
  fakes::FakeBoxes boxes;
  fakes::FakeClock clock;
  fakes::IconvCodec codec;
  fakes::FakeUserToken token;
  fakes::FakeTaskService tasks;
  fakes::FakeElevatedLauncher launcher;
  fakes::FakeFileSecurity security;
  StartupTask task{{token, tasks, launcher, security, clock}, shell, files};
  fakes::MemoryFileHandles handles{files};
  CheckedFiles checked{files, handles, true};
  std::unique_ptr<OpenedFile> readme;
  int ended = 0, selected = 0;
  std::unique_ptr<TfmSetup> form;
  // `checks`: the setup works through the checks of an elevated run.
  explicit Rig(bool installed = false, Elevation who = Elevation::Elevated, bool checks = false) {
    token.kind = who;
    for (const auto& [id, folder] : shell.folders) files.add_folder(folder);
    files.put(kSource + "Horalux.exe", "exe");
    files.put(kSource + "Readme.txt", "readme");
    files.put(kDesktopLink, "old");
    if (installed) files.put(kTarget + "Horalux.exe", "old exe");
    shell.marker_to_check = kMarker;
    boxes.answers.push_back(true);  // start the setup
    form = std::make_unique<TfmSetup>(
        SetupPorts{checks ? checked : static_cast<Files&>(files), shell, boxes, clock, codec, task},
        "Ver0.9.9");
    readme = handles.open_file(kSource + "Readme.txt", false);
    form->SourceReadme = readme.get();
    form->EndProgram = [this] { ++ended; };
    form->SelectTargetField = [this] { ++selected; };
  }
  std::vector<std::string> shown() {
    std::vector<std::string> out;
    for (const auto& b : boxes.shown) out.push_back(b.kind + ":" + b.text);
    return out;
  }
};

TEST(Setup, AsksForElevationOrSaysWhoCanSetUp) {
  const std::string folder = "C:\\Users\\u\\AppData\\Local\\Orvane\\HoraLux\\";
  const std::string ask = std::string("question:") + kSetupElevationQuestion + " | ";
  const std::string hand_over = kHandOver + " | ";
  const auto kFlt = Elevation::FilteredAdministrator;
  const auto kRan = ElevatedOutcome::Started;
  struct Row {
    Elevation kind;
    bool answer;
    ElevatedOutcome run;
    SetupAccess access;
    std::string seen;
    int saved;
    bool installs = true;  // the elevated copy leaves its target folder
  } rows[] = {
      // clang-format off
      {Elevation::Elevated, true, kRan, SetupAccess::OpenHere, "", 0},
      {Elevation::StandardUser, true, kRan, SetupAccess::OpenHere, "", 0},
      {kFlt, false, kRan, SetupAccess::Stopped, ask, 0},
      // The elevated copy only installs; this one, unelevated, starts the installed copy.
      {kFlt, true, kRan, SetupAccess::Restarted, ask + hand_over + "/setup waited | started " + kTarget + " unelevated | ", 1},
      {kFlt, true, kRan, SetupAccess::Stopped, ask + "/setup waited | ", 1, false},
      {kFlt, true, ElevatedOutcome::Refused, SetupAccess::Stopped, ask + "message:" + kElevationRefusedText + " | ", 1},
      {kFlt, true, ElevatedOutcome::Failed, SetupAccess::Stopped, ask + "error:" + kElevatedStartFailedText + " | ", 1},
      // clang-format on
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.files.add_folder(folder);
    rig.boxes.answers = {row.answer};
    rig.token.kind = row.kind;
    rig.launcher.outcome = row.run;
    std::string seen;
    rig.files.put(folder + kSetupResultName, "stale");
    rig.launcher.copy = [&](const std::string& parameters) {
      seen += parameters + (rig.files.has_file(folder + "Clock2Ju.$$$") ? " marked" : "") +
              " waited | ";
      EXPECT_FALSE(rig.files.has_file(folder + kSetupResultName)) << "a stale result";
      if (row.installs) {
        rig.files.put(kTarget + "Horalux.exe", "exe");
        rig.files.put(folder + kSetupResultName, kTarget);
      }
      return 0;
    };
    int saved = 0;
    const SetupAccess access =
        ChooseSetupAccess({rig.files, rig.shell, rig.boxes, rig.clock, rig.codec, rig.task}, folder,
                          [&] { ++saved; });
    for (const auto& started : rig.shell.started)
      seen += "started " + FolderPartOf(started.program) +
              (started.by_shell || !started.marker_present ? " wrongly" : " unelevated") + " | ";
    seen = [&] {
      std::string boxes;
      for (const auto& s : rig.shown()) boxes += s + " | ";
      return boxes;
    }() + seen;
    EXPECT_EQ(access, row.access) << row.seen;
    EXPECT_EQ(seen, row.seen);
    EXPECT_EQ(saved, row.saved) << row.seen;
    EXPECT_FALSE(rig.files.has_file(folder + "Clock2Ju.$$$")) << row.seen;
    EXPECT_FALSE(rig.files.has_file(kMarker)) << row.seen;
  }
}

// The shell folders' paths come from the user's registry: one that leads
// elsewhere through a link gets nothing from an elevated setup, which says
// so where it would have made a shortcut and installs all the same.
TEST(Setup, AnElevatedSetupNeitherRemovesNorWritesInAShellFolderThatIsALink) {
  const std::string refused = "message:ショートカットを作成できませんでした。\r\n";
  const SpecialFolderId ids[] = {SpecialFolderId::Desktop, SpecialFolderId::StartMenu,
                                 SpecialFolderId::Programs, SpecialFolderId::Startup};
  for (SpecialFolderId linked : ids) {
    Rig rig(false, Elevation::Elevated, true);
    for (SpecialFolderId id : ids) rig.files.put(rig.shell.folders[id] + "\\Horalux.lnk", "old");
    const std::string folder = rig.shell.folders[linked];
    rig.handles.facts[folder] = {"\\\\?\\D:\\Elsewhere", 1, file_attribute::kDirectory};
    rig.form->btnSetupClick();
    const std::string left = rig.files.content(folder + "\\Horalux.lnk");
    std::string said;
    for (const auto& s : rig.shown())
      if (s.starts_with(refused)) said = s;
    EXPECT_EQ(left, "old") << folder;
    EXPECT_EQ(said, linked == SpecialFolderId::Programs ? refused + folder + "\\" : "") << folder;
    EXPECT_EQ(rig.files.content(kTarget + "Horalux.exe"), "exe") << folder;
    EXPECT_EQ(rig.ended, 1) << folder;
  }
}

TEST(Setup, ChoosesOverwriteWhenTheDefaultFolderExists) {
  Rig fresh, installed(true);
  EXPECT_EQ(fresh.form->edtSetup.Text(), "C:\\Program Files\\Orvane\\Horalux");
  EXPECT_EQ(fresh.form->edtKidouS.Text(), kSource);
  EXPECT_TRUE(fresh.form->rbNewSetup.Checked());
  EXPECT_TRUE(installed.form->rbUwagaki.Checked());
}

// A standard user sets up only where they may write; their copy starts from
// the Startup folder, without the right to set the time.
TEST(Setup, StandardUserSetsUpOnlyWhereTheyMayWrite) {
  const std::string own = "C:\\Users\\u\\AppData\\Local\\Programs\\Orvane\\Horalux";
  for (std::string target :
       {own, std::string("C:\\Program Files\\Orvane\\Horalux"),
        std::string("C:\\Program Files (x86)\\Horalux"), std::string("D:\\Shared\\Horalux")}) {
    Rig rig(false, Elevation::StandardUser);
    EXPECT_EQ(rig.form->edtSetup.Text(), own);
    rig.files.add_folder("D:\\Shared");
    rig.files.closed_folders.insert("D:\\SHARED");
    rig.form->edtSetup.SetText(target);
    rig.form->btnSetupClick();
    const auto link = rig.shell.read_link(kStartupLink);
    const std::string linked = link ? link->target + " " + link->arguments : "no link";
    std::printf("[ setup ] standard user | %s | %s | %s\n", target.c_str(),
                rig.shown().at(1).c_str(), linked.c_str());
    const bool mine = target == own;
    EXPECT_EQ(rig.shown().at(mine ? 2 : 1),
              std::string("message:") + (mine ? kNoTimeRightText : kSetupNeedsAdministratorText));
    EXPECT_EQ(rig.files.has_file(target + "\\Horalux.exe"), mine) << target;
    EXPECT_EQ(linked, mine ? own + "\\Horalux.exe -R" : "no link");
    EXPECT_TRUE(rig.tasks.tasks.empty());
  }
}

TEST(Setup, StopsWithItsMessageBeforeChangingAnything) {
  struct Row {
    const char* why;
    std::function<void(Rig&)> arrange;
    std::string last_box;
    int selected;
  } rows[] = {
      {"not confirmed", [](Rig& r) { r.boxes.answers = {false}; }, "message:中止します。", 0},
      {"no exe in the source", [](Rig& r) { r.files.remove(kSource + "Horalux.exe"); },
       "message:" + kSource + "Horalux.exe が存在しません。\r\n中止します。", 0},
      {"same folder", [](Rig& r) { r.form->edtSetup.SetText(kSource); },
       "message:受け手と送り手のフォルダーが同じです。\r\nセットアップを中止します。", 0},
      {"overwrite without an installation", [](Rig& r) { r.form->rbUwagaki.SetChecked(true); },
       "message:指定されたフォルダーに、Horalux.exe "
       "が存在しません。\r\n上書きセットアップを中止します。",
       1},
      {"new over an installation",
       [](Rig& r) {
         r.files.put(kTarget + "Horalux.exe", "old exe");
         r.form->rbNewSetup.SetChecked(true);
       },
       "message:指定されたフォルダーに、Horalux.exe "
       "が存在します。\r\n上書きセットアップで、\r\nセットアップし直してください。",
       0},
      {"folder cannot be made", [](Rig& r) { r.form->edtSetup.SetText("Q:\\Nowhere"); },
       "error box:セットアップフォルダを作成できません。", 1},
      {"copy fails",
       [](Rig& r) {
         r.files.read_only_paths.insert("C:\\PROGRAM FILES\\ORVANE\\HORALUX\\HORALUX.EXE");
       },
       "error box:ファイルのコピーに失敗しました。\rセットアップをやり直してみてください。", 0},
      {"link fails", [](Rig& r) { r.shell.link_object = false; },
       "error box:ショートカットの作成に失敗しました。\rセットアップをやり直してみてください。", 0},
      {"a \"%\" in the folder",
       [](Rig& r) { r.form->edtSetup.SetText("C:\\Program Files\\%TEMP%"); },
       "error box:セットアップフォルダを作成できません。", 1},
  };
  for (const Row& row : rows) {
    Rig rig;
    row.arrange(rig);
    rig.form->btnSetupClick();
    EXPECT_EQ(rig.shown().back(), row.last_box) << row.why;
    EXPECT_EQ(rig.selected, row.selected) << row.why;
    EXPECT_EQ(rig.ended, 0) << row.why;
    EXPECT_TRUE(rig.shell.started.empty()) << row.why;
  }
}

TEST(Setup, NewSetupInstallsLinksAndHandsOverOnceTheInstalledWindowExists) {
  Rig rig;
  rig.form->edtSetup.SetText("C:\\Program Files\\Orvane\\Horalux\\");
  rig.shell.window_after_polls = 40;  // 5 s + 10 s of polls
  rig.form->btnSetupClick();
  EXPECT_EQ(rig.shown(), (std::vector<std::string>{
                             "question:セットアップを開始してよろしいですか？", kDone, kHandOver}));
  EXPECT_EQ(rig.files.content(kTarget + "Horalux.exe"), "exe");
  EXPECT_EQ(rig.files.content(kTarget + "Readme.txt"), "readme");
  EXPECT_FALSE(rig.files.has_file(kDesktopLink));
  // Elevated, into Program Files: the logon task starts the installed copy.
  EXPECT_FALSE(rig.files.has_file(kStartupLink));
  ASSERT_EQ(rig.tasks.tasks.size(), 1u);
  EXPECT_NE(rig.tasks.tasks.begin()->second.find("<Command>" + kTarget + "Horalux.exe</Command>"),
            std::string::npos);
  EXPECT_EQ(rig.tasks.tasks.begin()->first.rfind(kLogonTaskFolder, 0), 0u);
  // The folders it made under Program Files, and the program, are the administrators'.
  EXPECT_EQ(
      rig.security.protected_paths,
      (std::vector<std::string>{"C:\\Program Files\\Orvane " + std::string(kInstallFolderSddl),
                                WithoutTrailingBackslash(kTarget) + " " + kInstallFolderSddl,
                                kTarget + "Horalux.exe " + kInstalledProgramSddl}));
  auto programs = rig.shell.read_link(kProgramsLink);
  ASSERT_TRUE(programs);
  EXPECT_EQ(programs->arguments, "");
  // This copy is elevated: the shell's process starts the installed one.
  ASSERT_EQ(rig.shell.started.size(), 1u);
  EXPECT_EQ(rig.shell.started[0].program, kTarget + "Horalux.exe");
  EXPECT_EQ(rig.shell.started[0].working_folder, kTarget);
  EXPECT_TRUE(rig.shell.started[0].marker_present);
  EXPECT_TRUE(rig.shell.started[0].by_shell);
  EXPECT_EQ(rig.shell.window_polls, 41);
  EXPECT_FALSE(rig.files.has_file(kMarker));
  EXPECT_EQ(rig.ended, 1);
}

TEST(Setup, OverwriteSetupKeepsOtherLinksAndAWindowlessCopyIsWaitedForAtMost30Seconds) {
  Rig rig(true);
  rig.shell.window_after_polls = -1;
  // The download mark the copy brought along from an unpacked archive.
  rig.files.put(kTarget + "Horalux.exe:Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3\r\n");
  const std::uint32_t start = rig.clock.tick_count();
  rig.form->btnSetupClick();
  EXPECT_EQ(rig.files.content(kTarget + "Horalux.exe"), "exe");
  EXPECT_FALSE(rig.files.has_file(kTarget + "Horalux.exe:Zone.Identifier"));
  EXPECT_TRUE(rig.files.has_file(kDesktopLink));
  EXPECT_FALSE(rig.files.has_file(kProgramsLink));
  EXPECT_EQ(rig.tasks.tasks.size(), 1u);
  EXPECT_GE(rig.clock.tick_count() - start, 30000u);
  EXPECT_LT(rig.clock.tick_count() - start, 31000u);
  EXPECT_EQ(rig.ended, 1);
}

// Who the desktop belongs to decides whether setup registers, links and starts.
TEST(Setup, OnlyTheLoggedOnUsersSetupRegistersLinksAndStarts) {
  const std::string other = "S-1-5-21-1-2-3-500";
  const std::string done = kDone + " | ", handed = kHandOver + " | ";
  const std::string told = std::string("message:") + kOtherAdministratorText + " | ";
  struct Row {
    const char* why;
    std::string shell_sid, session_sid, seen;
  } rows[] = {
      // clang-format off
      {"the shell's owner is this user", "S-1-5-21-1-2-3-1001", other, done + handed + "task links started"},
      {"the shell's owner is another user", other, "S-1-5-21-1-2-3-1001", done + told},
      {"no shell: the session's user is this user", "", "S-1-5-21-1-2-3-1001", done + handed + "task links started"},
      {"no shell: the session's user is another", "", other, done + told},
      {"nobody can be told", "", "", done + told},
      // clang-format on
  };
  std::printf("%-44s | %-19s | %-19s | %s\n", "logged-on user check", "shell owner", "session user",
              "setup does");
  for (const Row& row : rows) {
    Rig rig;
    rig.token.shell_sid = row.shell_sid;
    rig.token.session_sid = row.session_sid;
    rig.form->btnSetupClick();
    std::string seen;
    for (const auto& s : rig.shown()) seen += s + " | ";
    seen = seen.substr(seen.find(" | ") + 3);  // past the question
    if (!rig.tasks.tasks.empty()) seen += "task ";
    if (rig.files.has_file(kProgramsLink) && !rig.files.has_file(kDesktopLink)) seen += "links ";
    if (!rig.shell.started.empty()) seen += "started";
    EXPECT_EQ(seen, row.seen) << row.why;
    EXPECT_EQ(rig.files.content(kTarget + "Horalux.exe"), "exe") << row.why;
    EXPECT_EQ(rig.ended, 1) << row.why;
    const bool refused = seen.find(kOtherAdministratorText) != std::string::npos;
    std::printf("%-44s | %-19s | %-19s | %s\n", row.why,
                row.shell_sid.empty() ? "(no shell window)" : row.shell_sid.c_str(),
                row.session_sid.empty() ? "(unknown)" : row.session_sid.c_str(),
                refused ? "installs only, says so" : "installs, registers, links, starts");
  }
}

TEST(Setup, AnElevatedSetupWithoutTheShellStartsNothingAndSaysWhereToStartIt) {
  Rig rig;
  rig.shell.shell_reachable = false;
  rig.form->btnSetupClick();
  EXPECT_EQ(rig.shown().back(), std::string("message:") + kStartFromMenuText);
  EXPECT_TRUE(rig.shell.started.empty());
  EXPECT_FALSE(rig.files.has_file(kMarker));
  EXPECT_EQ(rig.ended, 1);
}

TEST(Setup, AMarkerThatCannotBeDeletedIsReportedAndThisCopyStillEnds) {
  Rig rig;
  rig.files.in_use_paths.insert("C:\\PROGRAM FILES\\ORVANE\\HORALUX\\CLOCK2JU.$$$");
  rig.form->btnSetupClick();
  EXPECT_EQ(rig.shown().back(), "error:ファイルの削除に失敗しました。");
  EXPECT_TRUE(rig.files.has_file(kMarker));
  EXPECT_EQ(rig.ended, 1);
}

}  // namespace
}  // namespace horalux
