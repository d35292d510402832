#pragma once
#include "core/app/quiet_tray_icon.h"
#include "core/app/run_controller.h"
#include "core/app/window_hand_over.h"
#include "core/controls/timer.h"
#include "core/desktop/popup_menu.h"
#include "core/engine/access_log.h"
#include "core/engine/sync_engine.h"
#include "core/platform/boxes.h"
#include "core/platform/clock.h"
#include "core/platform/message_pump.h"
#include "core/platform/taskbar.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// The hidden run at Windows start-up: countdown, one cycle, then the end;
// with the program's exit routine, the watchdog and the icon's menu.
class ResidentRun {
 public:
  struct Deps {
    Clock& clock;
    MessagePump& pump;
    Boxes& boxes;
    JikokuScreen& screen;
    AccessLog& log;
    SyncEngine& engine;
    TTimer& watchdog;
    QuietTrayIcon& icon;
    TMenuItem& pmnDisp;
    RunController& run;
    Taskbar& taskbar;
    // Shows the window where the run gives way to it, or hands it over.
    WindowHandOver& window;
  };
  explicit ResidentRun(Deps deps) : d_(deps) {}

  // Whether the start-up sequence ends with the run (abort, or the window
  // shown at the user's request during the countdown).
  bool Run();
  void QuitProgram();
  void SGTimer1Timer();
  void pmnDispClick();
  void pmnQuitClick();
  void PopupMenu1Popup();
  void TrayIcon1Click();

 private:
  // One pass a second; false when the menu ended the run (abort or display).
  bool CountdownRanOut();
  // After the cycle failed: whether the user asked for the window.
  bool AskForTheWindow();
  void WriteErrorLog();
  // Early at logon the taskbar may not exist yet: the icon waits for it.
  void ShowIconOnTaskbar();

  Deps d_;
};

}  // namespace horalux
