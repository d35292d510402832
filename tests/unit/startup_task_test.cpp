#include <gtest/gtest.h>

#include "core/desktop/logon_task.h"
#include "tests/fakes/startup_rig.h"

namespace horalux {
namespace {

const std::string kLink = "C:\\Users\\u\\Start Menu\\Programs\\Startup\\Horalux.lnk";
const std::string kInstalled = "C:\\Program Files\\Orvane\\Horalux\\Horalux.exe";
const std::string kOutside = "C:\\Users\\u\\Downloads\\Horalux.exe";
const std::string kOk = std::string("message:") + kRegisteredText + " | ";
const std::string kGone = std::string("message:") + kUnregisteredText + " | ";
const std::string kNo = std::string("message:") + kElevationRefusedText + " | ";
const std::string kFail = std::string("error:") + kTaskRegisterFailedText + " | ";
const std::string kOffer = std::string("question:") + kSetupFirstText + " | ";
const std::string kRight = std::string("message:") + kNoTimeRightText + " | ";
constexpr auto kStd = Elevation::StandardUser, kFlt = Elevation::FilteredAdministrator,
               kElv = Elevation::Elevated;
constexpr auto kRan = ElevatedOutcome::Started, kRefused = ElevatedOutcome::Refused;

// One user's registration; the elevated copy is the same program over the
// same task service, or ends with copy_code when that is set.
struct Rig : fakes::StartupRig {
  int setups = 0, copy_code = kTaskDone;
  Rig(Elevation kind, const std::string& exe, bool has_task, bool has_link, ElevatedOutcome run) {
    token.kind = kind;
    files.exe = exe;
    launcher.outcome = run;
    if (has_task) tasks.tasks[Name()] = "old";
    if (has_link) files.put(kLink, "old");
    link.OpenSetup = [this] { ++setups; };
    launcher.copy = [this](const std::string& parameters) {
      StartupTask elevated{{token, tasks, launcher}, shell, files};
      return copy_code != kTaskDone ? copy_code
                                    : elevated.RunTaskOnly(parameters == kRegisterTaskParameter);
    };
    link.LookUpStartupFolder();
  }
  std::string Name() { return LogonTaskName(token.sid); }
  // The boxes shown, what was started elevated, then what is left: the task
  // ("old" when it starts another program), the link, the ticked box, setups.
  std::string Seen() {
    std::string out;
    for (const auto& b : boxes.shown) out += b.kind + ":" + b.text + " | ";
    for (const auto& c : launcher.calls) out += c.parameters + (c.waited ? " waited | " : " | ");
    if (tasks.task_exists(Name()))
      out += tasks.tasks[Name()].find(files.exe) != std::string::npos ? "task " : "old task ";
    if (files.has_file(kLink)) out += "link ";
    if (cbStartup.Checked()) out += "ticked ";
    for (int i = 0; i < setups; ++i) out += "setup ";
    return out;
  }
};

TEST(StartupRegistration, EachKindOfUserGetsTheWayThatWorksForIt) {
  struct Row {
    const char* why;
    Elevation kind;
    std::string exe;
    bool old_link;
    ElevatedOutcome run;
    int copy_code;
    bool refuse, answer;  // the service refuses; the answer to the setup offer
    std::string seen;
  } rows[] = {
      // clang-format off
      {"elevated: the task; the old link goes", kElv, kInstalled, true, kRan, 0, false, true, kOk + "task ticked "},
      {"filtered: one elevated copy", kFlt, kInstalled, true, kRan, 0, false, true, kOk + "/task:register waited | task ticked "},
      {"filtered: prompt refused", kFlt, kInstalled, false, kRefused, 0, false, true, kNo + "/task:register waited | "},
      {"filtered: the copy fails", kFlt, kInstalled, false, kRan, kTaskRefused, false, true, kFail + "/task:register waited | "},
      {"elevated: the service refuses", kElv, kInstalled, false, kRan, 0, true, true, kFail},
      {"outside Program Files: setup first", kElv, kOutside, false, kRan, 0, false, true, kOffer + "setup "},
      {"setup declined: the link", kFlt, kOutside, false, kRan, 0, false, false, kOffer + kOk + "link ticked "},
      {"standard user: the link and why", kStd, kInstalled, false, kRan, 0, false, true, kOk + kRight + "link ticked "},
      // clang-format on
  };
  for (const Row& row : rows) {
    Rig rig(row.kind, row.exe, false, row.old_link, row.run);
    rig.copy_code = row.copy_code;
    rig.tasks.refuse = row.refuse;
    rig.boxes.answers = {row.answer};
    rig.link.RegisterStartup();
    EXPECT_EQ(rig.Seen(), row.seen) << row.why;
  }
}

TEST(StartupRegistration, RegisteredMeansTaskOrLinkAndUnregisterRemovesBoth) {
  struct Row {
    const char* why;
    Elevation kind;
    bool task, link;
    ElevatedOutcome run;
    std::string seen;
  } rows[] = {
      // clang-format off
      {"elevated", kElv, true, true, kRan, kGone},
      {"filtered", kFlt, true, true, kRan, kGone + "/task:remove waited | "},
      {"filtered refuses", kFlt, true, true, kRefused, kNo + "/task:remove waited | old task link ticked "},
      {"only a link: no prompt", kFlt, false, true, kRan, kGone},
      {"nothing", kStd, false, false, kRan, kGone},
      // clang-format on
  };
  for (const Row& row : rows) {
    Rig rig(row.kind, kInstalled, row.task, row.link, row.run);
    EXPECT_EQ(rig.link.IsStartupRegistered(), row.task || row.link) << row.why;
    rig.link.UnregisterStartup();
    EXPECT_EQ(rig.Seen(), row.seen) << row.why;
  }
}

TEST(StartupRegistration, TaskOnlyCopyEndsWithItsCode) {
  struct Row {
    std::string exe;
    bool register_task, refuse;
    int code;
    std::string seen;
  } rows[] = {
      {kInstalled, true, false, kTaskDone, "task "},
      {"C:\\Program Files (x86)\\Horalux\\Horalux.exe", true, false, kTaskDone, "task "},
      {kOutside, true, false, kTaskNotHere, ""},
      {kInstalled, true, true, kTaskRefused, ""},
      {kInstalled, false, false, kTaskDone, ""},
      {kInstalled, false, true, kTaskRefused, "old task "},
  };
  for (const Row& row : rows) {
    Rig rig(kElv, row.exe, !row.register_task, false, kRan);
    rig.tasks.refuse = row.refuse;
    EXPECT_EQ(rig.task.RunTaskOnly(row.register_task), row.code) << row.exe << row.register_task;
    EXPECT_EQ(rig.Seen(), row.seen) << row.exe << row.register_task;
  }
}

}  // namespace
}  // namespace horalux
