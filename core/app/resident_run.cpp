#include "core/app/resident_run.h"

#include <cstdint>
#include <exception>
#include <string>

#include "core/base/confirm.h"

namespace horalux {
namespace {
constexpr const char* kBusyMessage = "時刻取得中です。\r\n今は終了できません。";
constexpr std::uint32_t kWatchdogIntervalMs = 180000;
constexpr std::uint32_t kCountdownStepMs = 1000;
constexpr std::uint32_t kQuitPauseMs = 3000;
// Only the first passes of the countdown leave checkpoints.
constexpr int kTracedPasses = 2;
}  // namespace

bool ResidentRun::Run() {
  RunController& run = d_.run;
  bool showWindowAfterFailure = false;
  try {
    run.Record("1");
    // An abort has run QuitProgram already; a display request shows the window.
    if (!run.NoDelay() && !CountdownRanOut()) return true;
    run.BeginCycle();
    run.Record("6.1");
    d_.watchdog.SetInterval(kWatchdogIntervalMs);
    run.Record("6.2");
    d_.watchdog.SetEnabled(true);
    run.Record("6.3");
    if (!run.NoDelay()) d_.icon.SetTip("Horalux_時刻取得アクセス中");
    run.Record("7");
    if (!d_.engine.SyncClock(SyncMode::ResidentRun)) {
      run.Record("8");
      run.CycleFailed();
      showWindowAfterFailure = AskForTheWindow();
    }
    run.Record("9");
  } catch (const std::exception&) {
    run.Record("11");
    run.Note("[" + std::to_string(run.SecondsLeft()) + "]");
    // The engine has told of a log file it just failed to write: writing
    // the error log there would only fail again.
    if (d_.engine.LogWriteError().empty()) WriteErrorLog();
    QuitProgram();
    return false;
  }
  if (showWindowAfterFailure) {
    run.Record("10");
    if (!d_.window.Show(WindowPage::Basic)) QuitProgram();
  } else {
    QuitProgram();
  }
  return false;
}

bool ResidentRun::CountdownRanOut() {
  RunController& run = d_.run;
  run.StartCountdown(d_.screen.udChien.Position());
  run.Record("2.1");
  ShowIconOnTaskbar();
  run.Record("2.2");
  int passes = 0;
  while (true) {
    ++passes;
    const bool traced = passes <= kTracedPasses;
    if (traced) run.Record("4.1");
    d_.pump.process_messages();
    if (run.AbortRequested()) return false;
    if (traced) run.Record("4.2");
    if (run.DisplayRequested()) {
      if (traced) run.Record("3");
      d_.icon.SetTip("Horalux表示中");
      if (d_.window.Show(WindowPage::Log))
        run.GiveWayToWindow();
      else
        QuitProgram();
      return false;
    }
    if (traced) run.Record("4.3");
    d_.icon.SetTip("Horalux_動作遅延待機中（実行まで " + std::to_string(run.SecondsLeft()) +
                   " 秒）");
    ShowIconOnTaskbar();
    if (traced) run.Record("4.5");
    d_.clock.sleep(kCountdownStepMs);
    if (traced) run.Record("4.6");
    const int left = run.Tick();
    if (traced) run.Record("4.7");
    if (left < 1) break;
    if (traced) run.Record("5.1");
  }
  run.Note("(" + std::to_string(passes) + ")");
  return true;
}

void ResidentRun::ShowIconOnTaskbar() {
  if (d_.taskbar.exists()) d_.icon.SetVisible(true);
}

bool ResidentRun::AskForTheWindow() {
  if (ConfirmYesNo(
          d_.boxes, "　Horalux",
          "インターネットの時刻取得が失敗しました。\r\nHoraluxの設定フォームを表示しますか？",
          true)) {
    d_.run.GiveWayToWindow();
    d_.watchdog.SetEnabled(false);
    return true;
  }
  d_.boxes.message("Horaluxを終了します。");
  return false;
}

void ResidentRun::WriteErrorLog() {
  if (!ConfirmYesNo(d_.boxes,
                    "時刻取得中にエラーが発生しました。\r\n今回は終了しますが、\r\n"
                    "「エラーログ」をアクセス記録に記入しますか？",
                    true))
    return;
  d_.log.BeginLogEntry();
  d_.log.AddLogLine("【エラーログ】");
  d_.log.AddLogLine(d_.run.Trace());
  d_.log.CommitLogEntry();
}

void ResidentRun::QuitProgram() {
  // The watchdog may have ended the run already while a box was open.
  if (d_.pump.quitting()) return;
  d_.icon.SetVisible(false);
  d_.run.EndRun();
  if (!d_.run.AbortRequested()) d_.clock.sleep(kQuitPauseMs);
  d_.pump.quit();
}

void ResidentRun::SGTimer1Timer() {
  if (!d_.engine.busy) QuitProgram();
}

void ResidentRun::pmnDispClick() {
  if (d_.engine.busy) {
    d_.boxes.message(kBusyMessage);
    return;
  }
  d_.screen.PageControl1.SetActivePage(&d_.screen.tsJMemo);
  d_.run.RequestDisplay();
}

void ResidentRun::pmnQuitClick() {
  if (d_.engine.busy) {
    d_.boxes.message(kBusyMessage);
    return;
  }
  d_.run.RequestAbort();
  QuitProgram();
}

void ResidentRun::PopupMenu1Popup() {
  d_.pmnDisp.Visible = d_.run.IsResidentRun();
}

// A left click on the icon does nothing.
void ResidentRun::TrayIcon1Click() {}

}  // namespace horalux
