#include <gtest/gtest.h>

#include "core/desktop/logon_task.h"
#include "core/desktop/startup_link.h"
#include "tests/fakes/fake_elevation.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_ui.h"

namespace horalux {
namespace {

using Shown = std::vector<std::string>;
const std::string kLink = "C:\\Users\\u\\Start Menu\\Programs\\Startup\\Horalux.lnk";
const std::string kInstalled = "C:\\Program Files\\Orvane\\Horalux\\Horalux.exe";
const std::string kDownloaded = "C:\\Users\\u\\Downloads\\Horalux.exe";
const std::string kRegisteredBox = std::string("message:") + kRegisteredText;
const std::string kRefusedBox = std::string("message:") + kElevationRefusedText;
constexpr auto kStandard = Elevation::StandardUser;
constexpr auto kFiltered = Elevation::FilteredAdministrator;
constexpr auto kElevated = Elevation::Elevated;

struct Rig {
  fakes::MemoryFiles files;
  fakes::FakeShell shell{files};
  fakes::FakeBoxes boxes;
  TCheckBox cbStartup{"cbStartup"};
  fakes::FakeUserToken token;
  fakes::FakeTaskService tasks;
  fakes::FakeElevatedLauncher launcher;
  StartupTask task{{token, tasks, launcher}, shell, files};
  StartupLink link{shell, files, boxes, cbStartup, task};
  int setups = 0;
  // The elevated copy: the same program with the same task service.
  int copy_code = kTaskDone;
  Rig(Elevation kind, const std::string& exe, bool task, bool old_link) {
    for (const auto& [id, folder] : shell.folders) files.add_folder(folder);
    token.kind = kind;
    files.exe = exe;
    if (task) tasks.tasks[Name()] = "old";
    if (old_link) files.put(kLink, "old");
    link.OpenSetup = [this] { ++setups; };
    launcher.copy = [this](const std::string& parameters) {
      if (copy_code != kTaskDone) return copy_code;
      StartupTask elevated{{token, tasks, launcher}, shell, files};
      return elevated.RunTaskOnly(parameters == kRegisterTaskParameter);
    };
    link.LookUpStartupFolder();
  }
  std::string Name() { return LogonTaskName(token.sid); }
  Shown shown() {
    Shown out;
    for (const auto& b : boxes.shown) out.push_back(b.kind + ":" + b.text);
    return out;
  }
  std::string launched() {
    std::string out;
    for (const auto& c : launcher.calls) out += c.parameters + (c.waited ? " waited " : " ");
    return out;
  }
};

TEST(StartupRegistration, EachKindOfUserGetsTheWayThatWorksForIt) {
  struct Row {
    const char* why;
    Elevation kind;
    std::string exe;
    bool old_link;
    ElevatedOutcome outcome;
    int copy_code;
    bool service_refuses;
    bool answer;  // to the setup offer
    Shown shown;
    const char* launched;
    bool task, link, ticked;
    int setups;
  } rows[] = {
      {"elevated, installed: the task, the old link goes",
       kElevated,
       kInstalled,
       true,
       ElevatedOutcome::Started,
       0,
       false,
       true,
       {kRegisteredBox},
       "",
       true,
       false,
       true,
       0},
      {"filtered administrator: one elevated copy registers",
       kFiltered,
       kInstalled,
       true,
       ElevatedOutcome::Started,
       0,
       false,
       true,
       {kRegisteredBox},
       "/task:register waited ",
       true,
       false,
       true,
       0},
      {"filtered administrator refuses the prompt",
       kFiltered,
       kInstalled,
       false,
       ElevatedOutcome::Refused,
       0,
       false,
       true,
       {kRefusedBox},
       "/task:register waited ",
       false,
       false,
       false,
       0},
      {"the elevated copy fails",
       kFiltered,
       kInstalled,
       false,
       ElevatedOutcome::Started,
       kTaskRefused,
       false,
       true,
       {std::string("error:") + kTaskRegisterFailedText},
       "/task:register waited ",
       false,
       false,
       false,
       0},
      {"the service refuses",
       kElevated,
       kInstalled,
       false,
       ElevatedOutcome::Started,
       0,
       true,
       true,
       {std::string("error:") + kTaskRegisterFailedText},
       "",
       false,
       false,
       false,
       0},
      {"outside Program Files: setup first",
       kElevated,
       kDownloaded,
       false,
       ElevatedOutcome::Started,
       0,
       false,
       true,
       {std::string("question:") + kSetupFirstText},
       "",
       false,
       false,
       false,
       1},
      {"outside Program Files, setup declined: the link",
       kFiltered,
       kDownloaded,
       false,
       ElevatedOutcome::Started,
       0,
       false,
       false,
       {std::string("question:") + kSetupFirstText, kRegisteredBox},
       "",
       false,
       true,
       true,
       0},
      {"standard user: the link and why it may not set the time",
       kStandard,
       kInstalled,
       false,
       ElevatedOutcome::Started,
       0,
       false,
       true,
       {kRegisteredBox, std::string("message:") + kNoTimeRightText},
       "",
       false,
       true,
       true,
       0},
  };
  for (const Row& row : rows) {
    Rig rig(row.kind, row.exe, false, row.old_link);
    rig.launcher.outcome = row.outcome;
    rig.copy_code = row.copy_code;
    rig.tasks.refuse = row.service_refuses;
    rig.boxes.answers = {row.answer};
    rig.link.RegisterStartup();
    EXPECT_EQ(rig.shown(), row.shown) << row.why;
    EXPECT_EQ(rig.launched(), row.launched) << row.why;
    EXPECT_EQ(rig.tasks.task_exists(rig.Name()), row.task) << row.why;
    EXPECT_EQ(rig.files.has_file(kLink), row.link) << row.why;
    EXPECT_EQ(rig.cbStartup.Checked(), row.ticked) << row.why;
    EXPECT_EQ(rig.setups, row.setups) << row.why;
    if (row.task) {
      EXPECT_NE(rig.tasks.tasks[rig.Name()].find(kInstalled), std::string::npos) << row.why;
    }
  }
}

TEST(StartupRegistration, RegisteredMeansTaskOrLinkAndUnregisterRemovesBoth) {
  struct Row {
    const char* why;
    Elevation kind;
    bool task, link;
    ElevatedOutcome outcome;
    Shown shown;
    const char* launched;
    bool task_after, link_after;
  } rows[] = {
      {"elevated",
       kElevated,
       true,
       true,
       ElevatedOutcome::Started,
       {std::string("message:") + kUnregisteredText},
       "",
       false,
       false},
      {"filtered administrator",
       kFiltered,
       true,
       true,
       ElevatedOutcome::Started,
       {std::string("message:") + kUnregisteredText},
       "/task:remove waited ",
       false,
       false},
      {"filtered administrator refuses",
       kFiltered,
       true,
       true,
       ElevatedOutcome::Refused,
       {kRefusedBox},
       "/task:remove waited ",
       true,
       true},
      {"only a link, no prompt",
       kFiltered,
       false,
       true,
       ElevatedOutcome::Started,
       {std::string("message:") + kUnregisteredText},
       "",
       false,
       false},
      {"nothing",
       kStandard,
       false,
       false,
       ElevatedOutcome::Started,
       {std::string("message:") + kUnregisteredText},
       "",
       false,
       false},
  };
  for (const Row& row : rows) {
    Rig rig(row.kind, kInstalled, row.task, row.link);
    rig.launcher.outcome = row.outcome;
    EXPECT_EQ(rig.link.IsStartupRegistered(), row.task || row.link) << row.why;
    rig.link.UnregisterStartup();
    EXPECT_EQ(rig.shown(), row.shown) << row.why;
    EXPECT_EQ(rig.launched(), row.launched) << row.why;
    EXPECT_EQ(rig.tasks.task_exists(rig.Name()), row.task_after) << row.why;
    EXPECT_EQ(rig.files.has_file(kLink), row.link_after) << row.why;
    EXPECT_EQ(rig.cbStartup.Checked(), row.task_after || row.link_after) << row.why;
  }
}

TEST(StartupRegistration, TaskOnlyCopyEndsWithItsCode) {
  struct Row {
    const char* why;
    std::string exe;
    bool register_task, refuse;
    int code;
    bool task_after;
  } rows[] = {
      {"register", kInstalled, true, false, kTaskDone, true},
      {"register outside Program Files", kDownloaded, true, false, kTaskNotHere, false},
      {"register refused", kInstalled, true, true, kTaskRefused, false},
      {"remove", kInstalled, false, false, kTaskDone, false},
      {"remove refused", kInstalled, false, true, kTaskRefused, true},
  };
  for (const Row& row : rows) {
    Rig rig(kElevated, row.exe, !row.register_task, false);
    rig.tasks.refuse = row.refuse;
    EXPECT_EQ(rig.task.RunTaskOnly(row.register_task), row.code) << row.why;
    EXPECT_EQ(rig.tasks.task_exists(rig.Name()), row.task_after) << row.why;
    EXPECT_TRUE(rig.boxes.shown.empty()) << row.why;
  }
}

}  // namespace
}  // namespace horalux
