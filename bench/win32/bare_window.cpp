// The yardstick for the resident run's footprint: the least a Win32 GUI
// program can be under Wine, one hidden top-level window and a message loop
// that sleeps until something happens.
//   bare_window.exe [seconds]
// Ends on WM_CLOSE, or after `seconds` (default 60) so a benchmark that loses
// track of it cannot leave it running.
#include <windows.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr wchar_t kClassName[] = L"HoraluxBenchBareWindow";
constexpr long kDefaultSeconds = 60;
constexpr long kMaxSeconds = 24L * 60 * 60;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam == kLifetimeTimer) {
        KillTimer(window, kLifetimeTimer);
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
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
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClassName;
  if (RegisterClassExW(&window_class) == 0) return 1;

  HWND window = CreateWindowExW(0, kClassName, L"bare_window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  if (SetTimer(window, kLifetimeTimer, static_cast<UINT>(LifetimeSeconds(command_line) * 1000),
               nullptr) == 0)
    return 1;

  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
