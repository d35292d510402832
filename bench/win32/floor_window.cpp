// The floor under the resident run's footprint: the least a program can be
// that counts down in the notification area. One hidden top-level window, the
// common controls initialised as Horalux initialises them (version 6, through
// the manifest beside this file) and a notification icon whose tip changes
// once a second.
//   floor_window.exe [seconds] [image]
// With "image" every change of the tip sends the icon's image along, as a
// notification icon does that re-sends its whole record at each change.
// Ends on WM_CLOSE, or after `seconds` (default 60) so a benchmark that loses
// track of it cannot leave it running.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "yardstick.h"

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kIconId = 1;
long g_seconds_left = yardstick::kDefaultSeconds;
bool g_send_image = false;

NOTIFYICONDATAW IconData(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = kIconId;
  return data;
}

void ShowTip(HWND window, DWORD action) {
  NOTIFYICONDATAW data = IconData(window);
  data.uFlags = NIF_TIP | (action == NIM_ADD || g_send_image ? NIF_ICON : 0);
  data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  std::swprintf(data.szTip, sizeof(data.szTip) / sizeof(data.szTip[0]),
                L"floor_window (%ld s left)", g_seconds_left);
  Shell_NotifyIconW(action, &data);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == kTickTimer) {
    if (--g_seconds_left <= 0) {
      DestroyWindow(window);
    } else {
      ShowTip(window, NIM_MODIFY);
    }
    return 0;
  }
  if (message == WM_DESTROY) {
    KillTimer(window, kTickTimer);
    NOTIFYICONDATAW data = IconData(window);
    Shell_NotifyIconW(NIM_DELETE, &data);
  }
  return yardstick::EndingProc(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR command_line, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                      ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  if (!InitCommonControlsEx(&controls)) return 1;
  HWND window = yardstick::MakeHiddenWindow(instance, L"HoraluxBenchFloorWindow", L"floor_window",
                                            WindowProc);
  if (window == nullptr) return 1;
  const wchar_t* rest = nullptr;
  g_seconds_left = yardstick::LeadingSeconds(command_line, &rest);
  g_send_image = std::wcscmp(rest, L"image") == 0;
  ShowTip(window, NIM_ADD);
  if (SetTimer(window, kTickTimer, 1000, nullptr) == 0) return 1;
  return yardstick::RunMessageLoop();
}
