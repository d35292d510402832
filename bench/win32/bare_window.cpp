// The yardstick for the resident run's footprint: the least a Win32 GUI
// program can be under Wine, one hidden top-level window and a message loop
// that sleeps until something happens.
//   bare_window.exe [seconds]
// Ends on WM_CLOSE, or after `seconds` (default 60) so a benchmark that loses
// track of it cannot leave it running.
#include <windows.h>

#include "yardstick.h"

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == kLifetimeTimer) {
    KillTimer(window, kLifetimeTimer);
    DestroyWindow(window);
    return 0;
  }
  return yardstick::EndingProc(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR command_line, int) {
  HWND window =
      yardstick::MakeHiddenWindow(instance, L"HoraluxBenchBareWindow", L"bare_window", WindowProc);
  if (window == nullptr) return 1;
  const long seconds = yardstick::LeadingSeconds(command_line);
  if (SetTimer(window, kLifetimeTimer, static_cast<UINT>(seconds * 1000), nullptr) == 0) return 1;
  return yardstick::RunMessageLoop();
}
