#include "core/install/hand_over.h"

#include "core/base/confirm.h"
#include "core/base/path_text.h"
#include "core/base/version.h"
#include "core/install/startup_link.h"

namespace horalux {
namespace {
constexpr const char* kExeName = "Horalux.exe";
constexpr const char* kMainWindowClass = "TfmJikoku";

constexpr std::uint32_t kHandOverPauseMs = 5000;
constexpr std::uint32_t kHandOverCapMs = 30000;
constexpr std::uint32_t kHandOverPollMs = 250;

// The started copy needs its single-instance check passed and its window
// made before the marker may go; a copy that never gets there must not keep
// this one alive for ever.
void WaitForCopyWindow(Clock& clock, Shell& shell, ProcessId process) {
  const std::uint32_t start = clock.tick_count();
  clock.sleep(kHandOverPauseMs);
  if (process == 0) return;
  while (static_cast<std::uint32_t>(clock.tick_count() - start) < kHandOverCapMs &&
         shell.process_running(process) && !shell.process_has_window(process, kMainWindowClass))
    clock.sleep(kHandOverPollMs);
}

}  // namespace

// A copy the shell started gives no process: it is known by its window,
// which this copy's own main window resembles in all but its process.
bool WaitForOtherCopyWindow(Clock& clock, Shell& shell) {
  const std::uint32_t start = clock.tick_count();
  clock.sleep(kHandOverPauseMs);
  while (static_cast<std::uint32_t>(clock.tick_count() - start) < kHandOverCapMs) {
    if (shell.other_process_has_window(kMainWindowClass, kProgramTitle)) return true;
    clock.sleep(kHandOverPollMs);
  }
  return false;
}

bool HandOverTo(SetupPorts ports, const std::string& target, bool elevated) {
  Files& files = ports.files;
  Boxes& boxes = ports.boxes;
  const std::string marker = target + kHandOverMarker;
  // Without the marker the installed copy would end at its single-instance
  // check, leaving nothing running once this copy ends.
  if (!files.write(marker, ports.codec.to_ansi("２重起動\r\n"))) {
    boxes.error("[" + marker + "]" + "を作成できません。");
    return false;
  }
  boxes.message(
      "現在起動中のHoraluxを終了させ、\r\nセットアップしたHoraluxを起動させます。\r\n"
      "一時的に、Horaluxが２つ立ち上がります。\r\n確認（ＯＫ）後、10秒程度、そのままでお待ちくださ"
      "い。");
  const std::string program = target + kExeName;
  bool started = true;
  if (!elevated)
    WaitForCopyWindow(ports.clock, ports.shell, ports.shell.start_process(program, "", target));
  else if ((started = ports.shell.start_through_shell(program, "", target)))
    WaitForOtherCopyWindow(ports.clock, ports.shell);
  // A marker left behind would let any number of copies run from that folder.
  if (files.exists(marker) && !files.remove(marker)) boxes.error(kDeleteFailedText);
  if (!started) boxes.message(kStartFromMenuText);
  return true;
}

namespace {
// The elevated copy ended: when it installed, it left the target folder in
// `result`, and this copy, unelevated, starts the installed one. No result:
// the setup window was closed without installing.
SetupAccess HandOverAfterElevatedSetup(SetupPorts ports, const std::string& result) {
  const std::optional<std::string> target = ports.files.read(result);
  if (!target || target->empty()) return SetupAccess::Stopped;
  ports.files.remove(result);
  return HandOverTo(ports, WithTrailingBackslash(*target), false) ? SetupAccess::Restarted
                                                                  : SetupAccess::Stopped;
}
}  // namespace

SetupAccess ChooseSetupAccess(SetupPorts ports, const std::string& result_folder,
                              const std::function<void()>& save_settings) {
  Boxes& boxes = ports.boxes;
  switch (ports.task.UserElevation()) {
    case Elevation::Elevated:
    case Elevation::StandardUser:
      return SetupAccess::OpenHere;
    case Elevation::FilteredAdministrator:
      break;
  }
  if (!ConfirmYesNo(boxes, kSetupElevationQuestion, true)) return SetupAccess::Stopped;
  // The elevated copy reads the settings as this copy leaves them.
  if (save_settings) save_settings();
  const std::string result = result_folder + kSetupResultName;
  // What an earlier attempt left must not pass for this one's outcome.
  ports.files.remove(result);
  const ElevatedStart started =
      ports.task.StartElevated(ports.files.executable_path(), kOpenSetupParameter, result_folder);
  switch (started.outcome) {
    case ElevatedOutcome::Started:
      return HandOverAfterElevatedSetup(ports, result);
    case ElevatedOutcome::Refused:
      boxes.message(kElevationRefusedText);
      return SetupAccess::Stopped;
    case ElevatedOutcome::Failed:
      break;
  }
  boxes.error(kElevatedStartFailedText);
  return SetupAccess::Stopped;
}

}  // namespace horalux
