#include <gtest/gtest.h>

#include <cstdio>

#include "core/install/install_acl.h"

#include "core/install/logon_task.h"
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
    if (has_task) tasks.tasks[Key(kLogonTaskFolder)] = LogonTaskXml(token.sid, exe);
    if (has_link) files.put(kLink, "old");
    link.OpenSetup = [this] { ++setups; };
    launcher.copy = [this](const std::string& parameters) {
      StartupTask elevated{{token, tasks, launcher, security, clock}, shell, files};
      return copy_code != kTaskDone ? copy_code
                                    : elevated.RunTaskOnly(FindElevatedRequest({parameters}));
    };
    link.LookUpStartupFolder();
  }
  std::string Name() { return LogonTaskName(token.sid); }
  std::string Key(const char* folder) { return fakes::FakeTaskService::Key(folder, Name()); }
  // The boxes shown, what was started elevated, then what is left: the task
  // ("old" when it starts another program), the link, the ticked box, setups.
  std::string Seen() {
    std::string out;
    for (const auto& b : boxes.shown) out += b.kind + ":" + b.text + " | ";
    for (const auto& c : launcher.calls) out += c.parameters + (c.waited ? " waited | " : " | ");
    if (tasks.tasks.count(Key(kLogonTaskFolder)))
      out += tasks.tasks[Key(kLogonTaskFolder)].find(files.exe) != std::string::npos ? "task "
                                                                                     : "old task ";
    if (tasks.tasks.count(Key(kRootTaskFolder))) out += "root task ";
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
    std::function<void(Rig&)> arrange = nullptr;
    bool registered = true;  // when task || link
  } rows[] = {
      // clang-format off
      {"elevated", kElv, true, true, kRan, kGone},
      {"another program's task: not registered, removed", kElv, true, false, kRan, kGone,
       [](Rig& r) { r.files.exe = kInstalled + "2"; }, false},
      {"another user's principal: not registered", kElv, true, false, kRan, kGone,
       [](Rig& r) { r.token.sid = "S-1-5-21-9"; r.tasks.tasks[r.Key(kLogonTaskFolder)] = LogonTaskXml("S-1-5-21-1-2-3-1001", kInstalled); }, false},
      {"an earlier release's root task: not registered, removed too", kFlt, false, false, kRan, kGone + "/task:remove waited | ",
       [](Rig& r) { r.tasks.tasks[r.Key(kRootTaskFolder)] = LogonTaskXml(r.token.sid, kInstalled); }},
      {"filtered", kFlt, true, true, kRan, kGone + "/task:remove waited | "},
      {"filtered refuses", kFlt, true, true, kRefused, kNo + "/task:remove waited | task link ticked "},
      {"only a link: no prompt", kFlt, false, true, kRan, kGone},
      {"the service cannot be read: removed all the same", kFlt, false, false, kRan, kGone + "/task:remove waited | ", [](Rig& r) { r.tasks.unreadable = fakes::FakeTaskService::kAccessDenied; }, false},
      {"nothing", kStd, false, false, kRan, kGone},
      // clang-format on
  };
  for (const Row& row : rows) {
    Rig rig(row.kind, kInstalled, row.task, row.link, row.run);
    if (row.arrange) row.arrange(rig);
    EXPECT_EQ(rig.link.IsStartupRegistered(), (row.task || row.link) && row.registered) << row.why;
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
    bool root_task = false;   // an earlier release's task in the root folder
    bool other_user = false;  // the desktop is another user's
    TaskAnswer registered = kTaskAnswerOk;
  } rows[] = {
      {kInstalled, true, false, kTaskRefused, "", false, false, 0x0004131B},
      {kInstalled, true, false, kTaskDone, "task "},
      {kInstalled, true, false, kTaskDone, "task ", true},
      {kInstalled, false, false, kTaskDone, "", true},
      {"C:\\Program Files\\%APPDATA%\\Horalux.exe", true, false, kTaskNotHere, "", true},
      {"C:\\Program Files (x86)\\Horalux\\Horalux.exe", true, false, kTaskDone, "task "},
      {kOutside, true, false, kTaskNotHere, ""},
      {kInstalled, true, true, kTaskRefused, ""},
      {kInstalled, false, false, kTaskDone, ""},
      {kInstalled, false, true, kTaskRefused, "task "},
      // Over another user's shoulder: the refusal leaves this administrator's task.
      {kInstalled, true, false, kTaskOtherUser, "root task ", true, true},
  };
  for (const Row& row : rows) {
    Rig rig(kElv, row.exe, !row.register_task, false, kRan);
    if (row.root_task)
      rig.tasks.tasks[rig.Key(kRootTaskFolder)] = LogonTaskXml(rig.token.sid, row.exe);
    rig.tasks.refuse = row.refuse;
    if (row.other_user) rig.token.shell_sid = "S-1-5-21-1-2-3-500";
    rig.tasks.registered = row.registered;
    EXPECT_EQ(rig.task.RunTaskOnly(row.register_task ? ElevatedRequest::RegisterTask
                                                     : ElevatedRequest::RemoveTask),
              row.code)
        << row.exe << row.register_task;
    EXPECT_EQ(rig.Seen(), row.seen) << row.exe << row.register_task;
  }
}

TEST(StartupRegistration, ARunStartedByTheRootFoldersTaskMovesItOnce) {
  for (const bool ours : {true, false}) {
    Rig rig(kElv, kInstalled, false, false, kRan);
    rig.tasks.tasks[rig.Key(kRootTaskFolder)] =
        LogonTaskXml(rig.token.sid, ours ? kInstalled : kOutside);
    rig.task.MoveFromRootFolder();
    EXPECT_EQ(rig.Seen(), ours ? "task " : "root task ") << ours;
    EXPECT_TRUE(rig.boxes.shown.empty());
  }
}

// Under Wine the scheduler drops triggers: there the daily box always reads unticked.
TEST(StartupRegistration, TheDailyBoxShowsAndChangesTheTasksDailyRun) {
  enum Task { kNone, kLogon, kDaily, kRootDaily };
  auto tick = [](Rig& r) {
    r.cbMainichi.SetChecked(!r.cbMainichi.Checked()), r.link.cbMainichiToggle();
  };
  // clang-format off
  struct Row { const char* why; Elevation kind; Task task; std::function<void(Rig&)> act; std::string seen; ElevatedOutcome run = kRan; } rows[] = {
      {"task with the daily run", kFlt, kDaily, nullptr, "task ticked daily box:on+ticked"},
      {"task without it", kFlt, kLogon, nullptr, "task ticked box:on"},
      {"nothing registered: the task it would be", kFlt, kNone, nullptr, "box:on"},
      {"standard user's Startup link", kStd, kNone, nullptr, "link ticked box:off"},
      {"ticked", kFlt, kLogon, tick, std::string("message:") + kDailyRunOnText + " | /task:register waited | task ticked daily box:on+ticked"},
      {"unticked", kFlt, kDaily, tick, std::string("message:") + kDailyRunOffText + " | /task:register-logon waited | task ticked box:on"},
      {"elevation refused", kFlt, kLogon, tick, kNo + "/task:register waited | task ticked box:on", kRefused},
      {"start-up box: a new task runs daily", kFlt, kNone, [](Rig& r) { r.link.RegisterStartup(); }, kOk + "/task:register waited | task ticked daily box:on+ticked"},
      {"setup keeps it off", kElv, kLogon, [](Rig& r) { r.task.Register(kInstalled); }, "task ticked box:on"},
      {"setup keeps it on", kElv, kDaily, [](Rig& r) { r.task.Register(kInstalled); }, "task ticked daily box:on+ticked"},
      {"the move from the root folder keeps it", kElv, kRootDaily, [](Rig& r) { r.task.MoveFromRootFolder(); }, "task daily box:on"},
  };
  // clang-format on
  for (const Row& row : rows) {
    Rig rig(row.kind, kInstalled, false, row.kind == kStd, row.run);
    if (row.task != kNone)
      rig.tasks.tasks[rig.Key(row.task == kRootDaily ? kRootTaskFolder : kLogonTaskFolder)] =
          LogonTaskXml(rig.token.sid, kInstalled,
                       row.task == kLogon ? std::nullopt : std::optional(SystemTimeFields{}));
    rig.cbStartup.SetChecked(rig.link.IsStartupRegistered());  // as the start-up shows them
    rig.link.ShowDailyRun();
    if (row.act) row.act(rig);
    const std::string seen = rig.Seen();
    EXPECT_EQ(seen + (HasDailyTrigger(rig.tasks.tasks[rig.Key(kLogonTaskFolder)]) ? "daily " : "") +
                  (rig.cbMainichi.Enabled() ? "box:on" : "box:off") +
                  (rig.cbMainichi.Checked() ? "+ticked" : ""),
              row.seen)
        << row.why;
  }
}

// The task starts the program elevated: every folder from it up to Program
// Files must be the administrators' alone. A refusal takes along this user's
// task of an earlier registration.
TEST(StartupRegistration, AFolderOthersCanChangeIsRefused) {
  const std::string user = "S-1-5-21-1-2-3-1001", users = "S-1-5-32-545", everyone = "S-1-1-0";
  const std::string admins = "S-1-5-32-544", system = "S-1-5-18";
  const std::string refused = std::string("message:") + kLooseFolderText + " | ";
  auto full = [](std::string sid) { return AccessEntry{sid, 0x1F01FF, true, false}; };
  auto read = [](std::string sid) { return AccessEntry{sid, 0x1200A9, true, false}; };
  auto all = [](std::string sid) { return AccessEntry{sid, 0x10000000, true, true, true}; };
  const std::string ti = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
  struct Row {
    const char* why;
    std::optional<SecurityInfo> info;  // of `at`
    bool allowed;
    bool lists_apply = true;
    const char* at = "C:\\Program Files\\Orvane";
  } rows[] = {
      // clang-format off
      {"administrators only", SecurityInfo{admins, true, {full(system), full(admins), read(users)}}, true},
      {"TrustedInstaller owns it", SecurityInfo{"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", true, {read(users)}}, true},
      {"CREATOR OWNER full, inherit-only, passed on", SecurityInfo{admins, true, {full(admins), {"S-1-3-0", 0x10000000, true, true, true}}}, true},
      {"ALL APPLICATION PACKAGES read, execute", SecurityInfo{admins, true, {full(admins), read("S-1-15-2-1")}}, true},
      {"Everyone denied writing: not weighed", SecurityInfo{admins, true, {full(admins), {everyone, 0x2, false, false}}}, true},
      {"owned by the registering user", SecurityInfo{user, true, {full(system), full(admins), read(users)}}, false},
      {"the registering user's full control", SecurityInfo{admins, true, {full(admins), full(user)}}, false},
      {"Users FILE_WRITE_ATTRIBUTES", SecurityInfo{admins, true, {full(admins), {users, 0x1200A9 | 0x100, true, false}}}, false},
      {"Users FILE_WRITE_EA", SecurityInfo{admins, true, {full(admins), {users, 0x1200A9 | 0x10, true, false}}}, false},
      {"Users may add files", SecurityInfo{admins, true, {full(admins), {users, 0x1200A9 | 0x2, true, false}}}, false},
      {"Users may add folders", SecurityInfo{admins, true, {full(admins), {users, 0x4, true, false}}}, false},
      {"Authenticated Users modify", SecurityInfo{admins, true, {full(admins), {"S-1-5-11", 0x1301BF, true, false}}}, false},
      {"Users full, inherit-only, passed on to files", SecurityInfo{admins, true, {full(admins), {users, 0x1F01FF, true, true, true}}}, false},
      {"Users may delete children", SecurityInfo{admins, true, {{users, 0x40, true, false}}}, false},
      {"Everyone DELETE", SecurityInfo{admins, true, {{everyone, 0x10000, true, false}}}, false},
      {"Users WRITE_DAC", SecurityInfo{admins, true, {{users, 0x40000, true, false}}}, false},
      {"Users WRITE_OWNER", SecurityInfo{admins, true, {{users, 0x80000, true, false}}}, false},
      {"Users GENERIC_WRITE", SecurityInfo{admins, true, {{users, 0x40000000, true, false}}}, false},
      {"Everyone GENERIC_ALL", SecurityInfo{admins, true, {{everyone, 0x10000000, true, false}}}, false},
      {"owned by Users", SecurityInfo{users, true, {full(admins)}}, false},
      {"no access list at all", SecurityInfo{admins, false, {}}, false},
      {"unreadable", std::nullopt, false},
      {"Program Files as Windows gives it", SecurityInfo{ti, true, {full(ti), all(ti), {system, 0x1301BF, true, false}, all(system), {admins, 0x1301BF, true, false}, all(admins), read(users), {users, 0xA0000000, true, true, true}, all("S-1-3-0"), read("S-1-15-2-1"), {"S-1-15-2-1", 0xA0000000, true, true, true}}}, true, true, "C:\\Program Files"},
      {"Users may delete children of Program Files", SecurityInfo{ti, true, {{users, 0x40, true, false}}}, false, true, "C:\\Program Files"},
      {"Wine: no lists kept, the user owns it", SecurityInfo{user, true, {full(user)}}, true, false},
      // clang-format on
  };
  std::printf("%-42s | %s\n", "access of the folder above Horalux.exe", "task");
  for (const Row& row : rows) {
    Rig rig(kElv, kInstalled, true, false, kRan);
    rig.tasks.tasks[rig.Key(kRootTaskFolder)] = LogonTaskXml(rig.token.sid, kInstalled);
    rig.security.paths[row.at] = row.info;
    rig.security.lists_apply = row.lists_apply;
    rig.link.RegisterStartup();
    EXPECT_EQ(rig.Seen(), row.allowed ? kOk + "task ticked " : refused) << row.why;
    std::printf("%-42s | %s\n", row.why,
                row.allowed ? (row.lists_apply ? "registered" : "registered: not applicable")
                            : "refused, earlier task removed");
  }
}

}  // namespace
}  // namespace horalux
