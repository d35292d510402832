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
  RunState& st = d_.state;
  try {
    st.Record("1");
    // An abort has run QuitProgram already; a display request shows the window.
    if (!st.noDelay && !CountdownRanOut()) return true;
    st.Record("6.1");
    d_.watchdog.SetInterval(kWatchdogIntervalMs);
    st.Record("6.2");
    d_.watchdog.SetEnabled(true);
    st.Record("6.3");
    if (!st.noDelay) d_.icon.SetTip("Horalux_時刻取得アクセス中");
    st.showWindowAfterFailure = false;
    st.Record("7");
    if (!d_.engine.SyncClock(SyncMode::ResidentRun)) {
      st.Record("8");
      st.showWindowAfterFailure = AskForTheWindow();
    }
    st.Record("9");
  } catch (const std::exception&) {
    st.Record("11");
    st.startupTrace += "[" + std::to_string(st.countdown) + "]";
    // The engine has told of a log file it just failed to write: writing
    // the error log there would only fail again.
    if (d_.engine.LogWriteError().empty()) WriteErrorLog();
    QuitProgram();
    return false;
  }
  if (st.showWindowAfterFailure) {
    st.Record("10");
    d_.host.show_window();
  } else {
    QuitProgram();
  }
  return false;
}

bool ResidentRun::CountdownRanOut() {
  RunState& st = d_.state;
  st.countdown = d_.screen.udChien.Position();
  st.Record("2.1");
  ShowIconOnTaskbar();
  st.Record("2.2");
  int passes = 0;
  while (true) {
    ++passes;
    const bool traced = passes <= kTracedPasses;
    if (traced) st.Record("4.1");
    d_.pump.process_messages();
    if (st.abortRequested) return false;
    if (traced) st.Record("4.2");
    if (st.displayRequested) {
      if (traced) st.Record("3");
      d_.icon.SetTip("Horalux表示中");
      d_.host.show_window();
      st.residentMode = false;
      return false;
    }
    if (traced) st.Record("4.3");
    d_.icon.SetTip("Horalux_動作遅延待機中（実行まで " + std::to_string(st.countdown) + " 秒）");
    ShowIconOnTaskbar();
    if (traced) st.Record("4.5");
    d_.clock.sleep(kCountdownStepMs);
    if (traced) st.Record("4.6");
    --st.countdown;
    if (traced) st.Record("4.7");
    if (st.countdown < 1) break;
    if (traced) st.Record("5.1");
  }
  st.startupTrace += "(" + std::to_string(passes) + ")";
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
    d_.state.residentMode = false;
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
  d_.log.AddLogLine(d_.state.startupTrace);
  d_.log.CommitLogEntry();
}

void ResidentRun::QuitProgram() {
  // The watchdog may have ended the run already while a box was open.
  if (d_.pump.quitting()) return;
  d_.icon.SetVisible(false);
  d_.state.closing = true;
  if (!d_.state.abortRequested) d_.clock.sleep(kQuitPauseMs);
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
  d_.state.displayRequested = true;
}

void ResidentRun::pmnQuitClick() {
  if (d_.engine.busy) {
    d_.boxes.message(kBusyMessage);
    return;
  }
  d_.state.abortRequested = true;
  QuitProgram();
}

void ResidentRun::PopupMenu1Popup() {
  d_.pmnDisp.Visible = d_.state.residentMode;
}

// A left click on the icon does nothing.
void ResidentRun::TrayIcon1Click() {}

}  // namespace horalux
