#include "win32/net/winsock.h"

#include <climits>

namespace horalux::win32 {

int StartWinsock() {
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 2), &data);
}

void StopWinsock() {
  WSACleanup();
}

sockaddr_in ToSockaddr(const Ipv4Address& address, std::uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  const auto& o = address.octets;
  sa.sin_addr.s_addr = htonl(static_cast<u_long>(o[0]) << 24 | static_cast<u_long>(o[1]) << 16 |
                             static_cast<u_long>(o[2]) << 8 | static_cast<u_long>(o[3]));
  return sa;
}

Ipv4Address FromInAddr(const in_addr& in) {
  u_long host = ntohl(in.s_addr);
  return Ipv4Address{{static_cast<std::uint8_t>(host >> 24), static_cast<std::uint8_t>(host >> 16),
                      static_cast<std::uint8_t>(host >> 8), static_cast<std::uint8_t>(host)}};
}

int SocketLength(std::size_t size) {
  return size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

}  // namespace horalux::win32
