#pragma once
#include <winsock2.h>

#include <cstddef>
#include <cstdint>

#include "core/platform/socket_layer.h"

namespace horalux::win32 {

// Windows Sockets 2.2 for the process's socket layer: the error number, 0
// when ready; every successful start is matched by one stop.
int StartWinsock();
void StopWinsock();

// An IPv4 address and port (host order) as Winsock takes them, and back.
sockaddr_in ToSockaddr(const Ipv4Address& address, std::uint16_t port);
Ipv4Address FromInAddr(const in_addr& in);

// A buffer size as the int length Winsock calls take.
int SocketLength(std::size_t size);

}  // namespace horalux::win32
