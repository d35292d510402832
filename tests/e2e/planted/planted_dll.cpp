// A DLL named after a system DLL, as a web page could save it into the
// folder the program is run from. If Windows ever loads it, its DllMain
// leaves "planted-<name>.txt" beside it.
#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  std::wstring mark(path, n);
  mark.resize(mark.find_last_of(L'\\') + 1);
  mark += std::wstring(L"planted-") + PLANTED_NAME + L".txt";
  HANDLE file = CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, "loaded\r\n", 8, &written, nullptr);
    CloseHandle(file);
  }
  return TRUE;
}

// What a program importing the real DLL by name would look up in it.
extern "C" DWORD WINAPI PlantedGetFileVersionInfoSizeW(LPCWSTR, LPDWORD) {
  return 0;
}
extern "C" BOOL WINAPI PlantedGetFileVersionInfoW(LPCWSTR, DWORD, DWORD, LPVOID) {
  return FALSE;
}
extern "C" BOOL WINAPI PlantedVerQueryValueW(LPCVOID, LPCWSTR, LPVOID*, PUINT) {
  return FALSE;
}
