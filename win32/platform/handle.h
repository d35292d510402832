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

}  // namespace horalux::win32
