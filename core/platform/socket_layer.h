#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace horalux {

// Error numbers throughout are the Windows Sockets numbers (10040 = message
// too long, 11001 = host not found, ...); 0 means no error.
inline constexpr int kSocketMessageTooLong = 10040;
inline constexpr int kSocketConnectionReset = 10054;
inline constexpr int kSocketConnectionRefused = 10061;

// An IPv4 address as its four octets, most significant first (127.0.0.1 is
// {127, 0, 0, 1}).
struct Ipv4Address {
  std::array<std::uint8_t, 4> octets{};
  // Dotted quad.
  std::string ToString() const {
    std::string text;
    for (std::uint8_t octet : octets) {
      if (!text.empty()) text += '.';
      text += std::to_string(octet);
    }
    return text;
  }
  friend bool operator==(const Ipv4Address&, const Ipv4Address&) = default;
};

// The process's socket layer (Windows Sockets 2.2). The core counts its users
// and calls start() for the first and stop() after the last.
class SocketLayer {
 public:
  virtual ~SocketLayer() = default;
  // The error number, 0 when the layer is ready.
  virtual int start() = 0;
  virtual void stop() = 0;
};

}  // namespace horalux
