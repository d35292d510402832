#pragma once
#include <windows.h>
#include <commctrl.h>

namespace horalux::win32 {

// Registers a window class of this module. A class an earlier object has
// registered already counts as done. Raises std::runtime_error with the
// system's text when the system refuses.
void RegisterWindowClass(const WNDCLASSEXW& wc);
// A plain class: only its procedure and name.
void RegisterWindowClass(const wchar_t* name, WNDPROC proc);

// The window CreateWindowExW made; raises std::runtime_error with the
// system's text, naming `what`, when it made none.
HWND CheckCreated(HWND hwnd, const char* what);

// A zero-size window of a class of this module, with `param` handed to its
// procedure at WM_NCCREATE; raises std::runtime_error when it cannot be made.
HWND CreateWindowOrThrow(DWORD ex_style, const wchar_t* cls, DWORD style, HWND parent, void* param);

// Puts `proc` in front of the window's procedure; raises std::runtime_error
// naming `what` when the system refuses, since the control would then miss
// what the program watches it for.
void SubclassOrThrow(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data, const char* what);

}  // namespace horalux::win32
