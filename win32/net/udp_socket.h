#pragma once
#include <memory>
#include <string>

#include "core/platform/udp_socket.h"

namespace horalux {

// The UDP services through Windows Sockets 2.2.
class WinUdpNetwork : public UdpNetwork {
 public:
  int start() override;
  void stop() override;
  ResolveResult resolve_ipv4(const std::string& host) override;
  std::unique_ptr<UdpSocket> open_socket(bool broadcast, int& error) override;
};

}  // namespace horalux
