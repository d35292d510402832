#pragma once
// What the yardstick programs beside the resident run share: a hidden
// top-level window of a class of their own, the seconds they live, and a
// message loop that sleeps until something happens.
#include <windows.h>

#include <cwchar>

namespace yardstick {

inline constexpr long kDefaultSeconds = 60;
inline constexpr long kMaxSeconds = 24L * 60 * 60;

// The seconds at the start of the command line; `rest` gets what follows
// them, blanks skipped. Seconds unreadable or out of range give the default
// rather than an end at once or never.
inline long LeadingSeconds(const wchar_t* command_line, const wchar_t** rest = nullptr) {
  wchar_t* end = nullptr;
  const long parsed = std::wcstol(command_line, &end, 10);
  const wchar_t* after = end;
  while (*after == L' ' || *after == L'\t') ++after;
  if (rest) *rest = after;
  if (end == command_line || parsed < 1 || parsed > kMaxSeconds) return kDefaultSeconds;
  return parsed;
}

// Registers the class and makes the window, hidden; nullptr when either fails.
inline HWND MakeHiddenWindow(HINSTANCE instance, const wchar_t* class_name, const wchar_t* title,
                             WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = class_name;
  if (RegisterClassExW(&window_class) == 0) return nullptr;
  return CreateWindowExW(0, class_name, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                         320, 200, nullptr, nullptr, instance, nullptr);
}

// The rest of a yardstick's window procedure: a close request or the end of
// its time takes the window down, and with it the program.
inline LRESULT EndingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

// Until WM_QUIT: its code, or 1 when the loop fails.
inline int RunMessageLoop() {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace yardstick
