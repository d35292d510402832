#include "win32/desktop/win_elevated_launch.h"

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

ElevatedStart WinElevatedLauncher::run_and_wait(const std::string& program,
                                                const std::string& parameters,
                                                const std::string& working_folder,
                                                unsigned timeout_ms) {
  Launch launch = RunAs(program, parameters, working_folder);
  ElevatedStart result{launch.outcome, 0, 0};
  if (launch.outcome != ElevatedOutcome::Started) return result;
  result.process = GetProcessId(launch.process.get());
  DWORD code = 0;
  if (WaitForSingleObject(launch.process.get(), timeout_ms) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(launch.process.get(), &code)) {
    result.outcome = ElevatedOutcome::Failed;
    return result;
  }
  result.exit_code = static_cast<int>(code);
  return result;
}

}  // namespace horalux
