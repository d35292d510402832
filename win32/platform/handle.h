#pragma once
#include <windows.h>

namespace horalux::win32 {

// Owns a kernel handle; closes it once.
class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.h_) { o.h_ = INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  void reset(HANDLE h = INVALID_HANDLE_VALUE) {
    if (valid()) CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_;
};

// Owns a GDI object; deletes it once.
template <typename T>
class UniqueGdi {
 public:
  explicit UniqueGdi(T h = nullptr) : h_(h) {}
  ~UniqueGdi() {
    if (h_) DeleteObject(h_);
  }
  UniqueGdi(const UniqueGdi&) = delete;
  UniqueGdi& operator=(const UniqueGdi&) = delete;
  T get() const { return h_; }
  void reset(T h) {
    if (h_) DeleteObject(h_);
    h_ = h;
  }

 private:
  T h_;
};

// Owns a menu handle; destroys it once, unless it was handed to a window,
// which then destroys it with itself.
class UniqueMenu {
 public:
  explicit UniqueMenu(HMENU menu = nullptr) : menu_(menu) {}
  ~UniqueMenu() {
    if (menu_) DestroyMenu(menu_);
  }
  UniqueMenu(const UniqueMenu&) = delete;
  UniqueMenu& operator=(const UniqueMenu&) = delete;
  UniqueMenu(UniqueMenu&& other) noexcept : menu_(other.menu_) { other.menu_ = nullptr; }
  HMENU get() const { return menu_; }
  // Gives up ownership, as when the menu becomes a window's or a submenu.
  HMENU release() {
    HMENU menu = menu_;
    menu_ = nullptr;
    return menu;
  }

 private:
  HMENU menu_;
};

// A window's device context (the screen's without a window) for as long as
// this object lives.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd = nullptr) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};
using ScreenDC = WindowDC;

// The device context of one WM_PAINT, ended however the painting leaves.
class PaintDC {
 public:
  explicit PaintDC(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
  ~PaintDC() { EndPaint(hwnd_, &ps_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Selects a GDI object into a device context and puts the old one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object)
      : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Owns an open registry key; closes it once.
class UniqueKey {
 public:
  UniqueKey() = default;
  ~UniqueKey() {
    if (key_) RegCloseKey(key_);
  }
  UniqueKey(const UniqueKey&) = delete;
  UniqueKey& operator=(const UniqueKey&) = delete;
  HKEY* put() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Frees what the system allocated with LocalAlloc for the caller (security
// descriptors, texts).
struct LocalMemory {
  void* p = nullptr;
  LocalMemory() = default;
  ~LocalMemory() { LocalFree(p); }
  LocalMemory(const LocalMemory&) = delete;
  LocalMemory& operator=(const LocalMemory&) = delete;
};

}  // namespace horalux::win32
