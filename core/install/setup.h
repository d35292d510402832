#pragma once
#include <functional>
#include <string>
#include <vector>

#include "core/controls/controls.h"
#include "core/install/hand_over.h"
#include "core/install/setup_ports.h"
#include "core/platform/file_handles.h"

namespace horalux {

// The read-me file the setup installs beside the program.
inline constexpr const char* kReadmeName = "Readme.txt";

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
  // The source folder's "Readme.txt", opened and checked when the program
  // started; none when there was none to take.
  OpenedFile* SourceReadme = nullptr;

  const std::string& SourceFolder() const { return source_folder_; }
  // Folder texts of the last run of btnSetupClick, with trailing "\".
  const std::string& TargetFolder() const { return target_folder_; }

 private:
  bool InstallSteps();
  void HandOver();
  void DeleteOldShortcut(SpecialFolderId id);
  void MakeShortcut(const std::string& installed, SpecialFolderId id, const std::string& arguments);
  void RegisterInstalledCopy(const std::string& installed);

  SetupPorts ports_;
  std::string version_;
  bool for_logged_on_user_ = true;
  std::string source_folder_;
  std::string target_folder_;
  HandlerTable events_{"fmSetup"};
};

}  // namespace horalux
