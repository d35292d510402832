// The hidden run at Windows start-up: countdown, one cycle, then the end.
#include "core/app/fm_jikoku.h"
#include "core/base/confirm.h"

namespace horalux {
namespace {
constexpr const char* kBusyMessage = "時刻取得中です。\r\n今は終了できません。";
}

bool TfmJikoku::RunResident() {
  try {
    Record("1");
    if (!noDelay) {
      countdown = screen_.udChien.Position();
      Record("2.1");
      SetIconVisible(true);
      Record("2.2");
      int passes = 0;
      while (true) {
        ++passes;
        const bool traced = passes <= 2;
        if (traced) Record("4.1");
        ports_.pump.process_messages();
        if (abortRequested) return true;  // QuitProgram has run
        if (traced) Record("4.2");
        if (displayRequested) {
          if (traced) Record("3");
          SetIconTip("Horalux表示中");
          ports_.host.show_window();
          residentMode = false;
          return true;
        }
        if (traced) Record("4.3");
        SetIconTip("Horalux_動作遅延待機中（実行まで " + std::to_string(countdown) + " 秒）");
        SetIconVisible(true);
        if (traced) Record("4.5");
        ports_.clock.sleep(1000);
        if (traced) Record("4.6");
        --countdown;
        if (traced) Record("4.7");
        if (countdown < 1) break;
        if (traced) Record("5.1");
      }
      startup_trace_ += "(" + std::to_string(passes) + ")";
    }
    Record("6.1");
    sg_timer_.SetInterval(180000);
    Record("6.2");
    sg_timer_.SetEnabled(true);
    Record("6.3");
    if (!noDelay) SetIconTip("Horalux_時刻取得アクセス中");
    showWindowAfterFailure = false;
    Record("7");
    if (!engine_.SyncClock(SyncMode::ResidentRun)) {
      Record("8");
      if (ConfirmYesNo(
              ports_.boxes, "　Horalux",
              "インターネットの時刻取得が失敗しました。\r\nHoraluxの設定フォームを表示しますか？",
              true)) {
        showWindowAfterFailure = true;
        residentMode = false;
        sg_timer_.SetEnabled(false);
      } else {
        ports_.boxes.message("Horaluxを終了します。");
      }
    }
    Record("9");
  } catch (const std::exception&) {
    Record("11");
    startup_trace_ += "[" + std::to_string(countdown) + "]";
    if (ConfirmYesNo(ports_.boxes,
                     "時刻取得中にエラーが発生しました。\r\n今回は終了しますが、\r\n"
                     "「エラーログ」をアクセス記録に記入しますか？",
                     true)) {
      log_.BeginLogEntry();
      log_.AddLogLine("【エラーログ】");
      log_.AddLogLine(startup_trace_);
      log_.CommitLogEntry();
    }
    QuitProgram();
    return false;
  }
  if (showWindowAfterFailure) {
    Record("10");
    ports_.host.show_window();
  } else {
    QuitProgram();
  }
  return false;
}

void TfmJikoku::QuitProgram() {
  // The watchdog may have ended the run already while a box was open.
  if (ports_.pump.quitting()) return;
  SetIconVisible(false);
  closing = true;
  if (!abortRequested) ports_.clock.sleep(3000);
  ports_.pump.quit();
}

void TfmJikoku::SGTimer1Timer() {
  if (!engine_.busy) QuitProgram();
}

void TfmJikoku::pmnDispClick() {
  if (engine_.busy) {
    ports_.boxes.message(kBusyMessage);
    return;
  }
  screen_.PageControl1.SetActivePage(&screen_.tsJMemo);
  displayRequested = true;
}

void TfmJikoku::pmnQuitClick() {
  if (engine_.busy) {
    ports_.boxes.message(kBusyMessage);
    return;
  }
  abortRequested = true;
  QuitProgram();
}

void TfmJikoku::PopupMenu1Popup() {
  pmnDisp_.Visible = residentMode;
}

void TfmJikoku::TrayIcon1Click() {}

}  // namespace horalux
