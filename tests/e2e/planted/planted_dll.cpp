// A DLL named after a system DLL, as a web page could save it into the
// folder the program is run from. If Windows ever loads it, its DllMain
// leaves "planted-<name>.txt" beside it; a call of one of its functions
// from the program's own code leaves "planted-<name>-used.txt".
#include <windows.h>

#include <string>

namespace {

HINSTANCE self;

void Mark(const wchar_t* suffix) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  std::wstring mark(path, n);
  mark.resize(mark.find_last_of(L'\\') + 1);
  mark += std::wstring(L"planted-") + PLANTED_NAME + suffix + L".txt";
  HANDLE file = CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, "planted\r\n", 9, &written, nullptr);
  CloseHandle(file);
}

// Marks a call that comes from the program's own image; Wine's system DLLs
// may call in too, where Windows' never would.
void MarkCallFrom(void* caller) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  auto* at = static_cast<BYTE*>(caller);
  if (at >= base && at < base + nt->OptionalHeader.SizeOfImage) Mark(L"-used");
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    self = instance;
    Mark(L"");
  }
  return TRUE;
}

// What a program importing the real DLL by name would call in it.
extern "C" DWORD WINAPI PlantedGetFileVersionInfoSizeW(LPCWSTR, LPDWORD) {
  MarkCallFrom(__builtin_return_address(0));
  return 0;
}
extern "C" BOOL WINAPI PlantedGetFileVersionInfoW(LPCWSTR, DWORD, DWORD, LPVOID) {
  MarkCallFrom(__builtin_return_address(0));
  return FALSE;
}
extern "C" BOOL WINAPI PlantedVerQueryValueW(LPCVOID, LPCWSTR, LPVOID*, PUINT) {
  MarkCallFrom(__builtin_return_address(0));
  return FALSE;
}
