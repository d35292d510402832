#include "core/app/program_entry.h"

#include "core/app/fm_jikoku.h"
#include "core/app/window_hand_over.h"
#include "core/install/hand_over.h"
#include "core/install/startup_task.h"

namespace horalux {

int RunProgram(Files& files, Windowing& windowing, MessagePump& pump,
               const std::vector<std::string>& params, const FormLifecycle& form) {
  // The copy that another copy started elevated for the task is not a
  // second instance: it shows nothing and ends with its exit code.
  const ElevatedRequest request = FindElevatedRequest(params);
  if (form.task_only && IsTaskOnly(request)) return form.task_only(request);
  bool resident = false;
  for (const std::string& param : params)
    if (ParameterFlag(param) == 'R') resident = true;
  // A running copy is found by its application window; this copy has not set
  // its own title yet, so it cannot find itself. The elevated setup copy is
  // started by a running copy that waits for it, and a copy started to show
  // the window in an elevated run's place by that run, which keeps its title
  // until it ends so that no other start slips in: these look for none,
  // whatever folder they start in. A resident start (the daily run, say)
  // leaves the running copy where it is on screen.
  const bool started_by_a_copy =
      request == ElevatedRequest::OpenSetup || HandedOverPage(params).has_value();
  if (!started_by_a_copy && !files.exists(kHandOverMarker) &&
      (resident ? windowing.exists(kApplicationWindowClass, kProgramTitle)
                : windowing.bring_forward(kApplicationWindowClass, kProgramTitle)))
    return 0;
  windowing.set_application_title(kProgramTitle);
  bool started = form.create();
  if (resident && !started) {
    // A resident start that failed has neither a window nor a run to wait
    // for: after the error box it ends, writing nothing.
    pump.quit();
  }
  if (!resident) form.show();
  pump.run();
  return 0;
}

}  // namespace horalux
