// A program that imports version.dll, as Horalux.exe once did: beside a
// planted version.dll, and with Wine told to look for it as Windows does, it
// loads the planted one.
#include <windows.h>

int wmain() {
  DWORD ignored = 0;
  return static_cast<int>(GetFileVersionInfoSizeW(L"probe", &ignored) & 1);
}
