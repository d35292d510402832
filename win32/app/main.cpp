// Horalux.exe: builds the Windows ports and hands control to the core's entry.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "core/app/fm_jikoku.h"
#include "core/app/program_entry.h"
#include "win32/app/application_window.h"
#include "win32/app/main_window.h"
#include "win32/desktop/notify_shell.h"
#include "win32/desktop/pointer_focus.h"
#include "win32/desktop/setup_window.h"
#include "win32/desktop/win_elevated_launch.h"
#include "win32/desktop/win_task_service.h"
#include "win32/desktop/win_taskbar.h"
#include "win32/desktop/win_shell.h"
#include "win32/net/tcp_session.h"
#include "win32/net/udp_socket.h"
#include "win32/platform/wide.h"
#include "win32/platform/win_boxes.h"
#include "win32/platform/win_color_scheme.h"
#include "win32/platform/win_files.h"
#include "win32/platform/win_locale.h"
#include "win32/platform/win_pump.h"
#include "win32/platform/win_registry.h"
#include "win32/platform/win_text_codec.h"
#include "win32/platform/win_user_token.h"
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

int Run() {
  using namespace horalux;
  INITCOMMONCONTROLSEX icc{
      sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

#ifdef HORALUX_SIMULATED_CLOCK
  SimulatedClock clock;
#else
  WinClock clock;
#endif
  WinPump pump;
  WinFiles files;
  WinBoxes boxes;
  WinTextCodec codec;
  WinLocale locale;
  WinUdpNetwork network;
  WinTcpNetwork tcp;
  win32::WinRegistry registry;
  WinNotifyShell notify_shell;
  WinPointerFocus pointer_focus;
  WinColorScheme colors;
  // One per run: it holds the COM library the shell's objects need.
  WinShell shell;
  WinUserToken token;
  WinTaskService tasks;
  WinElevatedLauncher launcher;
  WinTaskbar taskbar;
  ApplicationWindow application;
  // Created only once this copy is sure to run: a second copy ends without a
  // main window of its own.
  std::unique_ptr<MainWindow> main_window;
  std::unique_ptr<TfmJikoku> form;
  const std::vector<std::string> params = Parameters();

  auto create = [&] {
    main_window = std::make_unique<MainWindow>(pump, application.hwnd(), colors);
    RunPorts ports{clock,   pump,         files,
                   boxes,   application,  codec,
                   locale,  *main_window, main_window->log_view(),
                   network, notify_shell, pointer_focus,
                   shell,   tcp,          registry,
                   token,   tasks,        launcher,
                   taskbar};
    form = std::make_unique<TfmJikoku>(ports, params);
    form->EndProgram = [] { ExitProcess(0); };
    form->ShowSetupWindow = [&](TfmSetup& setup) {
      SetupWindow::ShowModal(main_window->hwnd(), setup);
    };
    main_window->Bind(*form);
    application.set_main_window(main_window->hwnd());
    boxes.set_owner(main_window->hwnd());
    form->FormCreate();
    return !form->StartupFailed();
  };
  auto task_only = [&](bool register_task) {
    StartupTask task({token, tasks, launcher}, shell, files);
    return task.RunTaskOnly(register_task);
  };
  FormLifecycle lifecycle{create, [&] { main_window->show_window(); }, task_only};
  int code = RunProgram(files, application, pump, params, lifecycle);
  if (main_window) main_window->Destroy();
  form.reset();
  main_window.reset();
  return code;
}

}  // namespace

// A window or timer the system refuses at start-up leaves a program that
// would never fire its timers or show its window: say so and end.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything loads a DLL: only System32 is searched from here on, never
  // the program's folder (a Downloads folder, say).
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  try {
    return Run();
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, horalux::win32::Widen(e.what()).c_str(), L"Horalux", MB_OK | MB_ICONERROR);
    return 1;
  }
}
