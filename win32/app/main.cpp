// Horalux.exe: builds the Windows ports and hands control to the core's entry.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/app/fm_jikoku.h"
#include "core/app/program_entry.h"
#include "win32/app/application_window.h"
#include "win32/app/main_window.h"
#include "win32/app/system_ports.h"
#include "win32/dialogs/setup_window.h"
#include "win32/platform/wide.h"
#include "win32/platform/win_color_scheme.h"
#ifdef HORALUX_SIMULATED_CLOCK
#include "win32/platform/simulated_clock.h"
#else
#include "win32/platform/win_clock.h"
#endif

namespace {

std::vector<std::string> Parameters() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> params;
  for (int i = 1; i < argc; ++i) params.push_back(horalux::win32::Narrow(argv[i]));
  if (argv) LocalFree(argv);
  return params;
}

int Run(horalux::win32::UniqueHandle image) {
  using namespace horalux;
  INITCOMMONCONTROLSEX icc{
      sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

#ifdef HORALUX_SIMULATED_CLOCK
  SimulatedClock clock;
#else
  WinClock clock;
#endif
  SystemPorts system(std::move(image));
  WinColorScheme colors;
  ApplicationWindow application;
  // Created only once this copy is sure to run: a second copy ends without a
  // main window of its own.
  std::unique_ptr<MainWindow> main_window;
  std::unique_ptr<TfmJikoku> form;
  const std::vector<std::string> params = Parameters();

  auto create = [&] {
    main_window = std::make_unique<MainWindow>(system.pump, application.hwnd(), colors);
    form = std::make_unique<TfmJikoku>(system.For(clock, application, *main_window), params);
    form->EndProgram = [] { ExitProcess(0); };
    form->ShowSetupWindow = [&](TfmSetup& setup) {
      SetupWindow::ShowModal(main_window->hwnd(), setup);
    };
    main_window->Bind(*form);
    application.set_main_window(main_window->hwnd());
    system.boxes.set_owner(main_window->hwnd());
    system.credentials_prompt.set_owner(main_window->hwnd());
    form->FormCreate();
    return !form->StartupFailed();
  };
  auto task_only = [&](ElevatedRequest request) {
    StartupTask task({system.token, system.tasks, system.launcher, system.security, clock},
                     system.shell, system.files);
    return task.RunTaskOnly(request);
  };
  FormLifecycle lifecycle{create, [&] { main_window->show_window(); }, task_only};
  int code = RunProgram(system.files, application, system.pump, params, lifecycle);
  if (main_window) main_window->Destroy();
  form.reset();
  main_window.reset();
  return code;
}

}  // namespace

// A window or timer the system refuses at start-up leaves a program that
// would never fire its timers or show its window: say so and end.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // What setup installs is the file this copy was started from, as it was
  // then: held before anything else runs.
  horalux::win32::UniqueHandle image = horalux::OpenOwnImage();
  // Before anything loads a DLL: only System32 is searched from here on, never
  // the program's folder (a Downloads folder, say).
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  try {
    return Run(std::move(image));
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, horalux::win32::Widen(e.what()).c_str(), L"Horalux", MB_OK | MB_ICONERROR);
    return 1;
  }
}
