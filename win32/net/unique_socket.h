#pragma once
#include <winsock2.h>

namespace horalux::win32 {

// Owns a socket; closes it once.
class UniqueSocket {
 public:
  explicit UniqueSocket(SOCKET s = INVALID_SOCKET) : s_(s) {}
  ~UniqueSocket() { reset(); }
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;
  SOCKET get() const { return s_; }
  bool valid() const { return s_ != INVALID_SOCKET; }
  void reset(SOCKET s = INVALID_SOCKET) {
    if (valid()) closesocket(s_);
    s_ = s;
  }
  // Closes at once with a reset to the peer, dropping unsent data, instead
  // of the graceful close.
  void reset_abortive() {
    if (!valid()) return;
    linger hard{1, 0};
    setsockopt(s_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
    reset();
  }

 private:
  SOCKET s_;
};

}  // namespace horalux::win32
