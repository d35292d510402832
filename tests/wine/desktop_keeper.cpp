// Holds Wine's desktop for a whole test session. Wine closes the desktop one
// second after its last program ends and starts it anew for the next one; a
// program that starts while the old desktop goes loses its windows and ends
// at once. Tests start a program about every second, so without a program
// that stays, now and then one of them met a closing desktop.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // A message-only window: it makes this program a user of the desktop
  // without a window that any test could find.
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"HoraluxDesktopKeeper";
  if (!RegisterClassW(&wc)) return 1;
  if (!CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                       nullptr)) {
    return 1;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
