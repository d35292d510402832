#include <gtest/gtest.h>

#include "core/app/fm_jikoku.h"
#include "core/app/program_entry.h"
#include "tests/fakes/form_rig.h"

namespace horalux {
namespace {

using Rig = fakes::FormRig;

TEST(ParameterFlag, OnlyTheSecondCharacterCountsCaseSensitively) {
  // A UTF-8 parameter counts by its second character, not its second byte.
  struct Row {
    const char* param;
    char flag;
  } rows[] = {{"-R", 'R'}, {"/R", 'R'}, {"xR", 'R'},  {"-Rabc", 'R'}, {"-RN", 'R'}, {"-r", 0},
              {"/r", 0},   {"-N", 'N'}, {"-A", 'A'},  {"R", 0},       {"", 0},      {"-X", 0},
              {"--R", 0},  {"-a", 0},   {"－R", 'R'}, {"éN", 'N'},    {"-Ｒ", 0},   {"é", 0}};
  for (const Row& row : rows) EXPECT_EQ(ParameterFlag(row.param), row.flag) << row.param;
}

TEST(StartupSequence, ParametersSetTheirFlagsAndTheTraceInOrder) {
  struct Row {
    std::vector<std::string> params;
    bool resident, no_delay, ask;
    const char* trace_flags;
  } rows[] = {
      {{"-RN"}, true, false, false, "-R"},
      {{"-R", "-N"}, true, true, false, "-R-N"},
      {{"-r"}, false, false, false, ""},
      {{"-A", "xR"}, true, false, true, "-A-R"},
  };
  for (const Row& row : rows) {
    Rig rig;
    TfmJikoku& form = rig.Make(row.params);
    form.FormCreate();
    // A resident start runs its whole resident run inside the sequence.
    EXPECT_EQ(form.StartupTrace().find("300\r\n-1-") != std::string::npos, row.resident);
    EXPECT_EQ(form.Controller().NoDelay(), row.no_delay);
    EXPECT_EQ(form.Controller().AsksStartupAtClose(), row.ask);
    std::string expected = std::string("[C:\\Apps\\Horalux\\]\r\n") + row.trace_flags + "300\r\n";
    EXPECT_EQ(form.StartupTrace().substr(0, expected.size()), expected);
  }
}

TEST(StartupSequence, HidesTheDetailTabsAndSelectsTheBasicTab) {
  Rig rig;
  TfmJikoku& form = rig.Make({});
  form.Screen().PageControl1.SetActivePage(&form.Screen().tsSNTP);
  form.FormCreate();
  EXPECT_FALSE(form.Screen().tsSNTP.TabVisible());
  EXPECT_FALSE(form.Screen().tsAddress.TabVisible());
  EXPECT_EQ(form.Screen().PageControl1.ActivePage(), &form.Screen().tsJikoku);
}

struct EntryRun {
  bool created = false;
  bool shown = false;
  int result = -1;
  std::vector<ElevatedRequest> task_only;
};

EntryRun Enter(Rig& rig, const std::vector<std::string>& params, bool create_succeeds = true) {
  EntryRun run;
  FormLifecycle form{[&] {
                       run.created = true;
                       return create_succeeds;
                     },
                     [&] { run.shown = true; },
                     [&](ElevatedRequest request) {
                       run.task_only.push_back(request);
                       return 7;
                     }};
  run.result = RunProgram(rig.files, rig.windowing, rig.pump, params, form);
  return run;
}

TEST(ProgramEntry, ATaskOnlyCopyRunsBesideTheFirstWithoutAWindowAndEndsWithItsCode) {
  struct Row {
    std::vector<std::string> params;
    std::vector<ElevatedRequest> task_only;
  } rows[] = {{{"/task:register"}, {ElevatedRequest::RegisterTask}},
              {{"-R", "/task:remove"}, {ElevatedRequest::RemoveTask}}};
  for (const Row& row : rows) {
    Rig rig;
    rig.windowing.other_copy_running = true;
    EntryRun run = Enter(rig, row.params);
    EXPECT_EQ(run.task_only, row.task_only);
    EXPECT_EQ(run.result, 7);
    EXPECT_EQ(rig.windowing.brought_forward, 0);
    EXPECT_FALSE(run.created);
    EXPECT_EQ(rig.pump.runs, 0);
  }
}

TEST(ProgramEntry, SecondCopyBringsTheFirstForwardAndEnds) {
  Rig rig;
  rig.windowing.other_copy_running = true;
  EntryRun run = Enter(rig, {});
  EXPECT_EQ(rig.windowing.brought_forward, 1);
  EXPECT_FALSE(run.created);
  EXPECT_EQ(rig.pump.runs, 0);
  EXPECT_EQ(rig.windowing.application_title, "");
}

TEST(ProgramEntry, MarkerFileLetsASecondCopyStart) {
  Rig rig;
  rig.windowing.other_copy_running = true;
  rig.files.put("Clock2Ju.$$$", "");
  EntryRun run = Enter(rig, {});
  EXPECT_EQ(rig.windowing.brought_forward, 0);
  EXPECT_TRUE(run.created);
  EXPECT_TRUE(run.shown);
  EXPECT_EQ(rig.windowing.application_title, "Horalux");
  EXPECT_EQ(rig.pump.runs, 1);
}

TEST(ProgramEntry, ACopyStartedByARunningOneStartsBesideItWithoutAMarker) {
  Rig rig;
  rig.windowing.other_copy_running = true;
  EXPECT_TRUE(Enter(rig, {"/setup"}).shown);
  EXPECT_TRUE(Enter(rig, {"/show"}).shown);
  EXPECT_EQ(rig.windowing.brought_forward, 0);
}

TEST(StartupSequence, ACopyStartedToShowTheLogOpensOnIt) {
  Rig rig;
  TfmJikoku& form = rig.Make({"/show:log"});
  form.FormCreate();
  EXPECT_EQ(form.Screen().PageControl1.ActivePage(), &form.Screen().tsJMemo);
}

TEST(ProgramEntry, ResidentParameterKeepsTheWindowHidden) {
  for (const char* param : {"-R", "xR", "-RN", "－R"}) {
    Rig rig;
    EntryRun run = Enter(rig, {param});
    EXPECT_FALSE(run.shown) << param;
    EXPECT_FALSE(rig.pump.quitting()) << param;
  }
  Rig rig;
  EXPECT_TRUE(Enter(rig, {"-r"}).shown);
}

TEST(ProgramEntry, FailedResidentStartEndsInsteadOfLingeringHidden) {
  Rig rig;
  EntryRun run = Enter(rig, {"-R"}, false);
  EXPECT_FALSE(run.shown);
  EXPECT_TRUE(rig.pump.quitting());
  Rig window;
  EntryRun shown = Enter(window, {}, false);
  EXPECT_TRUE(shown.shown);
  EXPECT_FALSE(window.pump.quitting());
}

TEST(StartupSequence, FailureInAStepShowsItsTextAndStops) {
  Rig rig;
  TfmJikoku& form = rig.Make({"-N"});
  // Fail at the parameter step: the trace was begun, the basic tab not selected.
  rig.files.exe = "C:\\Apps\\Horalux\\Horalux.exe";
  form.Screen().PageControl1.SetActivePage(&form.Screen().tsJMemo);
  const Connection failing = form.Screen().tsSNTP.on_view_update.connect(
      [] { throw std::runtime_error("ディスクがありません"); });
  form.FormCreate();
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].kind, "error");
  EXPECT_EQ(rig.boxes.shown[0].text, "ディスクがありません");
  EXPECT_TRUE(form.StartupFailed());
  EXPECT_FALSE(form.Controller().NoDelay());
  EXPECT_EQ(form.Screen().PageControl1.ActivePage(), &form.Screen().tsJMemo);
}

TEST(MainWindow, OnlyASuspendAmongThePowerNoticesClosesLikeTheMenu) {
  Rig rig;
  TfmJikoku& form = rig.Make({});
  // Suspend, status change, resume, automatic resume, query suspend, power setting change.
  for (unsigned kind : {0x4u, 0xAu, 0x7u, 0x12u, 0x0u, 0x8013u}) {
    const int before = rig.host.close_requests;
    form.PowerBroadcast(kind);
    std::printf("[ power ] 0x%04x %s\n", kind,
                rig.host.close_requests > before ? "closes" : "ignored");
    EXPECT_EQ(rig.host.close_requests - before, kind == 0x4u ? 1 : 0) << kind;
  }
  form.mnCloseClick();
  form.Screen().btnClose.Click();
  EXPECT_EQ(rig.host.close_requests, 3);
}

}  // namespace
}  // namespace horalux
