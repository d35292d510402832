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

// The screen's device context for as long as this object lives.
class ScreenDC {
 public:
  ScreenDC() : dc_(GetDC(nullptr)) {}
  ~ScreenDC() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace horalux::win32
