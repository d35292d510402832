// The floor under the resident run's footprint: the least a program can be
// that counts down in the notification area. One hidden top-level window, the
// common controls initialised as Horalux initialises them (version 6, through
// the manifest beside this file) and a notification icon whose tip changes
// once a second.
//   floor_window.exe [seconds]
// Ends on WM_CLOSE, or after `seconds` (default 60) so a benchmark that loses
// track of it cannot leave it running.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kIconId = 1;
constexpr wchar_t kClassName[] = L"HoraluxBenchFloorWindow";
constexpr long kDefaultSeconds = 60;
constexpr long kMaxSeconds = 24L * 60 * 60;

long g_seconds_left = kDefaultSeconds;

NOTIFYICONDATAW IconData(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = kIconId;
  return data;
}

void ShowTip(HWND window, DWORD action) {
  NOTIFYICONDATAW data = IconData(window);
  data.uFlags = NIF_TIP | (action == NIM_ADD ? NIF_ICON : 0);
  data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  std::swprintf(data.szTip, sizeof(data.szTip) / sizeof(data.szTip[0]),
                L"floor_window (%ld s left)", g_seconds_left);
  Shell_NotifyIconW(action, &data);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam == kTickTimer) {
        if (--g_seconds_left <= 0) {
          DestroyWindow(window);
        } else {
          ShowTip(window, NIM_MODIFY);
        }
        return 0;
      }
      break;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY: {
      KillTimer(window, kTickTimer);
      NOTIFYICONDATAW data = IconData(window);
      Shell_NotifyIconW(NIM_DELETE, &data);
      PostQuitMessage(0);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// Seconds from the command line; anything unreadable or out of range falls
// back to the default rather than ending at once or never.
long LifetimeSeconds(const wchar_t* command_line) {
  wchar_t* end = nullptr;
  long parsed = std::wcstol(command_line, &end, 10);
  while (end != command_line && (*end == L' ' || *end == L'\t')) ++end;
  if (end == command_line || *end != L'\0' || parsed < 1 || parsed > kMaxSeconds)
    return kDefaultSeconds;
  return parsed;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR command_line, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                      ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  if (!InitCommonControlsEx(&controls)) return 1;

  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClassName;
  if (RegisterClassExW(&window_class) == 0) return 1;

  HWND window = CreateWindowExW(0, kClassName, L"floor_window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  g_seconds_left = LifetimeSeconds(command_line);
  ShowTip(window, NIM_ADD);
  if (SetTimer(window, kTickTimer, 1000, nullptr) == 0) return 1;

  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
