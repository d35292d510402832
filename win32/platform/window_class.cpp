#include "win32/platform/window_class.h"

#include <stdexcept>
#include <string>

#include "win32/platform/wide.h"

namespace horalux::win32 {
namespace {

std::runtime_error Refused(const std::string& what) {
  const DWORD error = GetLastError();
  return std::runtime_error(what + ": " + SystemErrorText(error) + " (" + std::to_string(error) +
                            ")");
}

}  // namespace

void RegisterWindowClass(const WNDCLASSEXW& wc) {
  if (RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return;
  throw Refused("RegisterClassEx " + Narrow(wc.lpszClassName));
}

void RegisterWindowClass(const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = name;
  RegisterWindowClass(wc);
}

HWND CheckCreated(HWND hwnd, const char* what) {
  if (!hwnd) throw Refused(std::string("CreateWindowEx ") + what);
  return hwnd;
}

HWND CreateWindowOrThrow(DWORD ex_style, const wchar_t* cls, DWORD style, HWND parent,
                         void* param) {
  // A refusal that gives no reason must not show the one an earlier call left.
  SetLastError(0);
  HWND hwnd = CreateWindowExW(ex_style, cls, L"", style, 0, 0, 0, 0, parent, nullptr,
                              GetModuleHandleW(nullptr), param);
  return CheckCreated(hwnd, Narrow(cls).c_str());
}

void SubclassOrThrow(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data, const char* what) {
  SetLastError(0);
  if (!SetWindowSubclass(hwnd, proc, id, data))
    throw Refused(std::string("SetWindowSubclass ") + what);
}

}  // namespace horalux::win32
