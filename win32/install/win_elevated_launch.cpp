#include "win32/install/win_elevated_launch.h"

#include <windows.h>
#include <shellapi.h>

#include "win32/platform/handle.h"
#include "win32/platform/wide.h"

namespace horalux {
namespace {

// The started process's handle, or the outcome that stands for none.
struct Launch {
  ElevatedOutcome outcome = ElevatedOutcome::Failed;
  win32::UniqueHandle process;
};

Launch RunAs(const std::string& program, const std::string& parameters,
             const std::string& working_folder) {
  const std::wstring file = win32::Widen(program);
  const std::wstring params = win32::Widen(parameters);
  const std::wstring folder = win32::Widen(working_folder);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  // Owned by the window that asked, the consent prompt comes up in front of
  // it; without an owner Windows may only flash a taskbar button while this
  // window waits, unanswering.
  info.hwnd = GetActiveWindow();
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = params.c_str();
  info.lpDirectory = folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  Launch launch;
  if (!ShellExecuteExW(&info)) {
    if (GetLastError() == ERROR_CANCELLED) launch.outcome = ElevatedOutcome::Refused;
    return launch;
  }
  launch.process.reset(info.hProcess);
  if (launch.process.valid()) launch.outcome = ElevatedOutcome::Started;
  return launch;
}

}  // namespace

ElevatedStart WinElevatedLauncher::start(const std::string& program, const std::string& parameters,
                                         const std::string& working_folder) {
  Launch launch = RunAs(program, parameters, working_folder);
  ElevatedStart result{launch.outcome, 0, 0};
  if (launch.outcome == ElevatedOutcome::Started)
    result.process = GetProcessId(launch.process.get());
  return result;
}

namespace {
// Waits for the process while this thread's windows repaint; the window that
// asked takes no input meanwhile, as under a modal box. False on time-out.
bool WaitRepainting(HWND owner, HANDLE process, unsigned timeout_ms) {
  const bool disabled = owner && !EnableWindow(owner, FALSE);
  const ULONGLONG start = GetTickCount64();
  bool ended = false;
  for (;;) {
    DWORD wait = INFINITE;
    if (timeout_ms != kNoTimeLimit) {
      const ULONGLONG spent = GetTickCount64() - start;
      if (spent >= timeout_ms) break;
      wait = static_cast<DWORD>(timeout_ms - spent);
    }
    const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, wait, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) {
      ended = true;
      break;
    }
    if (woke != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    bool quit = false;
    while (!quit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      // The loop outside ends the program once the wait is over.
      if ((quit = msg.message == WM_QUIT)) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (quit) {
      ended =
          WaitForSingleObject(process, timeout_ms == kNoTimeLimit ? INFINITE : 0) == WAIT_OBJECT_0;
      break;
    }
  }
  if (disabled) {
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
  }
  return ended;
}
}  // namespace

ElevatedStart WinElevatedLauncher::run_and_wait(const std::string& program,
                                                const std::string& parameters,
                                                const std::string& working_folder,
                                                unsigned timeout_ms) {
  // Taken before the consent prompt, which may leave no window of this
  // thread active.
  const HWND owner = GetActiveWindow();
  Launch launch = RunAs(program, parameters, working_folder);
  ElevatedStart result{launch.outcome, 0, 0};
  if (launch.outcome != ElevatedOutcome::Started) return result;
  result.process = GetProcessId(launch.process.get());
  DWORD code = 0;
  if (!WaitRepainting(owner, launch.process.get(), timeout_ms) ||
      !GetExitCodeProcess(launch.process.get(), &code)) {
    result.outcome = ElevatedOutcome::Failed;
    return result;
  }
  result.exit_code = static_cast<int>(code);
  return result;
}

}  // namespace horalux
