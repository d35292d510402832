#pragma once
#include <functional>
#include <string>
#include <vector>

#include "core/controls/controls.h"
#include "core/desktop/startup_task.h"
#include "core/platform/boxes.h"
#include "core/platform/clock.h"
#include "core/platform/files.h"
#include "core/platform/shell.h"
#include "core/platform/text_codec.h"

namespace horalux {

struct SetupPorts {
  Files& files;
  Shell& shell;
  Boxes& boxes;
  Clock& clock;
  TextCodec& codec;
  StartupTask& task;
};

inline constexpr const char* kSetupElevationQuestion =
    "セットアップには管理者の権限が必要です。\r\nHoraluxを管理者として起動し直しますか？";
inline constexpr const char* kSetupNeedsAdministratorText =
    "Program Files へのセットアップには、管理者の権限が必要です。\r\n"
    "管理者のアカウントでセットアップを行ってください。";
inline constexpr const char* kElevatedStartFailedText = "Horaluxを管理者として起動できません。";
inline constexpr const char* kStartFromMenuText =
    "セットアップが終了しました。\r\nスタートメニューからHoraluxを起動してください。";
// Where the elevated setup copy leaves the target folder of a finished
// setup for the copy that waits for it (in that copy's settings folder).
inline constexpr const char* kSetupResultName = "Setup.$$$";

enum class SetupAccess {
  OpenHere,   // this copy may open the setup window
  Restarted,  // an elevated copy installed, this copy handed over: it ends now
  Stopped,    // nothing happens
};

// Who opens the setup window. An administrator on the filtered
// token is asked once whether to restart Horalux as administrator: on Yes
// the settings are saved (save_settings), the hand-over marker in
// marker_folder lets the elevated copy past the single-instance check, and
// that copy opens the setup window at its first showing. This copy waits
// for it to end; when it installed (leaving the target folder in
// marker_folder's kSetupResultName), this copy hands over to the installed
// copy itself, so that runs unelevated. A standard user opens it here, to
// set up into a folder of their own.
SetupAccess ChooseSetupAccess(SetupPorts ports, const std::string& marker_folder,
                              const std::function<void()>& save_settings);

// The first-showing offer: when the program runs from a read-only medium or
// is marked for it, asks whether to set up now; on Yes runs show_setup.
void OfferSetup(Boxes& boxes, const std::string& version, bool readOnlyMedium,
                bool offerSetupAtFirstShow, const std::function<void()>& show_setup);

// The setup window's state and handlers: installs the running copy into a
// folder, registers the installed copy for start-up and hands over to it.
class TfmSetup {
 public:
  // version as the program shows it ("Ver0.9.9").
  TfmSetup(SetupPorts ports, std::string version);

  TLabel Label15{"Label15"};
  TEdit edtKidouS{"edtKidouS"};
  TEdit edtSetup{"edtSetup"};
  std::vector<TRadioButton*> actions;
  TRadioButton rbUwagaki{"rbUwagaki", &actions};
  TRadioButton rbNewSetup{"rbNewSetup", &actions};
  TButton btnSetup{"btnSetup"};
  TButton btnClose{"btnClose"};

  void btnSetupClick();
  // Copies the executable and the read-me file and makes the installed
  // copy's shortcuts; false when the executable is missing in the source.
  bool InstallFiles();

  // The view's part: select the whole target field and focus it.
  std::function<void()> SelectTargetField;
  // Closes the window (btnClose).
  std::function<void()> CloseWindow;
  // Ends the program at once, without a close request: this copy's
  // settings are not written.
  std::function<void()> EndProgram;
  // Set in an elevated copy that a waiting unelevated copy started: a
  // finished setup leaves its target folder through it (false: it could not)
  // and ends, and the waiting copy hands over. Empty: this copy hands over
  // itself.
  std::function<bool(const std::string& target_folder)> LeaveResult;

  const std::string& SourceFolder() const { return source_folder_; }
  // Folder texts of the last run of btnSetupClick, with trailing "\".
  const std::string& TargetFolder() const { return target_folder_; }

 private:
  bool InstallSteps();
  void HandOver();
  void DeleteOldShortcut(SpecialFolderId id);
  void RegisterInstalledCopy(const std::string& installed);

  SetupPorts ports_;
  std::string version_;
  bool for_logged_on_user_ = true;
  std::string source_folder_;
  std::string target_folder_;
  HandlerTable events_{"fmSetup"};
};

}  // namespace horalux
