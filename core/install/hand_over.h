#pragma once
#include <functional>
#include <string>

#include "core/install/setup_ports.h"

namespace horalux {

// The hand-over marker: while it lies in the working folder of a starting
// copy, that copy does not look for a running one. Only the hand-over to an
// installed copy writes it, into the install folder, for a few seconds.
inline constexpr const char* kHandOverMarker = "Clock2Ju.$$$";

enum class SetupAccess {
  OpenHere,   // this copy may open the setup window
  Restarted,  // an elevated copy installed, this copy handed over: it ends now
  Stopped,    // nothing happens
};

// Who opens the setup window. An administrator on the filtered
// token is asked once whether to restart Horalux as administrator: on Yes
// the settings are saved (save_settings) and an elevated copy started with
// "/setup" opens the setup window at its first showing (that parameter alone
// lets it past the single-instance check). This copy waits for it to end;
// when it installed (leaving the target folder in result_folder's
// kSetupResultName), this copy hands over to the installed copy itself, so
// that runs unelevated. A standard user opens it here, to set up into a
// folder of their own.
SetupAccess ChooseSetupAccess(SetupPorts ports, const std::string& result_folder,
                              const std::function<void()>& save_settings);

// Waits until a copy that the shell's process started shows its main
// window, for half a minute at most; false when none appeared.
bool WaitForOtherCopyWindow(Clock& clock, Shell& shell);

// Starts the installed copy in `target` past its single-instance check and
// waits for its window. An elevated copy never starts it itself, which would
// leave an administrator's window on the desktop: the shell's process starts
// it, or nothing does. False when the marker could not be written (nothing
// started, this copy goes on); true when this copy should end.
bool HandOverTo(SetupPorts ports, const std::string& target, bool elevated);

}  // namespace horalux
